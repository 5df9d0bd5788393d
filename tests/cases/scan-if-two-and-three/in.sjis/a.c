#if 2
int two_if(void) { }
#else
int two_else(void) { }
#endif
#if 3
int three_if(void) { }
#else
int three_else(void) { }
#endif
#if 10
int ten(void) { }
#endif
#if FOO
int foo(void) { }
#endif
