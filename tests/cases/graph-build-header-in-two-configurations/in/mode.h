#ifndef MODE_H
#define MODE_H
#if MODE == 1
static inline int mode_one(void) { return 1; }
#else
static inline int mode_two(void) { return 2; }
#endif
#endif
