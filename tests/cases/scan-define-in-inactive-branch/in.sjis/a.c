#if 0
#define FEATURE
int hidden(void) { }
#endif
#ifdef FEATURE
int feature(void) { }
#endif
