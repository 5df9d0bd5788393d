int a(void) { }

#IF 1
int b(void) { }
#Define X
#ifdef X
int c(void) { }
#endif
#if 0
/* #warning in a comment */
#endif
