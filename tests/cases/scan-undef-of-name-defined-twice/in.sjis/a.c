#define TWICE
#define TWICE 2
#undef TWICE
#ifdef TWICE
int still_defined(void) { }
#endif
#undef TWICE
#ifdef TWICE
int gone(void) { }
#endif
