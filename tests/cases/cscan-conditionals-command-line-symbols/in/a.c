#if MODE == 2
int mode_two(void) { return 0; }
#elif MODE == 1
int mode_one(void) { return 0; }
#endif
#ifdef DEBUG
int debug_only(void) { return 0; }
#else
int release(void) { return 0; }
#endif
#ifndef FAST
int slow(void) { return 0; }
#endif
