#ifndef GIVEN_H
#define GIVEN_H
#if MODE == 1
static inline int given_one(void) { return 1; }
#else
static inline int given_two(void) { return 2; }
#endif
#endif
