#ifdef QUOTED
int b_quoted(void) { return 1; }
#endif
#if NUM == 4
int b_num_four(void) { return 4; }
#endif
#if SUM == 2
int b_sum_two(void) { return 2; }
#endif
#ifdef PLAIN
int b_plain(void) { return 0; }
#endif
#include HDR
#ifdef FROM_ESC
int b_computed_include(void) { return 0; }
#endif
#ifdef NOT_SET
int b_not_set(void) { return 0; }
#else
int b_plain_build(void) { return 1; }
#endif
