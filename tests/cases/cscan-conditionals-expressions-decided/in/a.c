#define LEVEL 3
#define NAME "x"
#if defined(LEVEL) && LEVEL > 2
int high(void) { return 0; }
#else
int low(void) { return 0; }
#endif
#if !defined NAME || (1 << 3) != 8
int wrong1(void) { return 0; }
#elif 'A' == 65 && '\n' == 10 && 10UL > 9u && 0x10 == 020
int chars(void) { return 0; }
#else
int wrong2(void) { return 0; }
#endif
#if -1 < 0u
int wrong3(void) { return 0; }
#elif LEVEL * 2 == 6 ? 1 : 1 / 0
int ternary(void) { return 0; }
#endif
#undef LEVEL
#if LEVEL
int wrong4(void) { return 0; }
#endif
