#ifdef FOO
void foo_on(void) {}
#else
void foo_off(void) {}
#endif
#ifdef BAR
void bar_early(void) {}
#endif
