/* Built once for each code unit width, as libraries of several widths are. */
#if WIDTH == 8
#define SUFFIX(n) n##_8
#else
#define SUFFIX(n) n##_16
#endif
#define compile SUFFIX(compile)

static int helper(int x) { return x; }

int compile(int x) { return helper(x); }

#if WIDTH == 16
int only_wide(void) { return compile(1); }
#endif

/* One function in both widths, calling each width's own. */
int run(int x) { return SUFFIX(compile)(x); }

/* Included, as a library includes a part of itself: its names are the width's. */
#define release SUFFIX(release)
#include "misc.c"
