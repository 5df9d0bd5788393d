#undef HAVE_D
#ifdef CONFIG_A
#define HAVE_B 1
#endif
#define HAVE_C 1
#ifdef HAVE_B
int with_b(void) { return 0; }
#endif
#ifdef HAVE_C
int with_c(void) { return 0; }
#endif
#if 0
#define HAVE_D 1
#endif
#ifndef HAVE_D
int without_d(void) { return 0; }
#endif
