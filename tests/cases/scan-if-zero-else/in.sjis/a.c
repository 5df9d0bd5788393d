#if 0
int hidden(void) { }
#else
int shown(void) { }
#endif
