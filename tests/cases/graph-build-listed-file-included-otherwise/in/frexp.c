#ifdef LONG
int frexp_long(int x) { return x * 2; }
#else
int frexp_plain(int x) { return x; }
#endif
