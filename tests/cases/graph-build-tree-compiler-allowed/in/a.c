#ifdef FROM_TREE_COMPILER
int from_tree_compiler(void) { return 1; }
#endif
#ifdef __x86_64__
int built_in_set(void) { return 2; }
#endif
#if __STDC_VERSION__ == 199901L
int c99(void) { return 3; }
#endif
