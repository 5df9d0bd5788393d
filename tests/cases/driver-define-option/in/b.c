#ifdef BAR
void bar_late(void) {}
#endif
#ifndef FOO
void no_foo(void) {}
#endif
