#if 1
int first(void) { }
#elif 1
int second(void) { }
#else
int third(void) { }
#endif
#if 0
int fourth(void) { }
#elif 1
int fifth(void) { }
#else
int sixth(void) { }
#endif
