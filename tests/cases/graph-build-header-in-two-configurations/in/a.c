#include "mode.h"
#if MODE == 1
int a_in_mode_one(void) { return mode_one(); }
#elif MODE == 2
int a_in_mode_two(void) { return mode_two(); }
#endif
