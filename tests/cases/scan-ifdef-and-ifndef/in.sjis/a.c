#ifdef 1
int ifdef_one(void) { }
#endif
#ifndef 1
int ifndef_one(void) { }
#endif
#ifdef FOO
int ifdef_foo(void) { }
#endif
#ifndef FOO
int ifndef_foo(void) { }
#endif
#ifdef BAR
int ifdef_bar(void) { }
#endif
#ifndef BAR
int ifndef_bar(void) { }
#endif
