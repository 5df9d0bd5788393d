int a(void) { }
#endif
#else // here
#if 1
#endif
#endif
int b(void) { }
