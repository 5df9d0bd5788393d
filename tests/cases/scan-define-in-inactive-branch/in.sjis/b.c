#if defined(FEATURE)
int later_file(void) { }
#endif
