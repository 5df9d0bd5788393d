#define twice(x) double_it(x)
static inline int double_it(int x) { return 2 * x; }
