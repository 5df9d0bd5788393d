#if defined(PLAIN) && VALUE == 3
int a_plain_value(void) { return 3; }
#endif
#ifdef SPACED
int a_spaced(void) { return 1; }
#endif
#ifdef TWO
int a_two_defined(void) { return 2; }
#else
int a_two_undefined(void) { return 2; }
#endif
#ifdef NOT_SET
int a_not_set(void) { return 0; }
#else
int a_plain_build(void) { return 1; }
#endif
