static int helper(int x) { return x; }
#define CODE(X) X
#define FN(X) X##_small
#include "template.h"
#undef FN
#define FN(X) X##_large
#include "template.h"
#undef FN
int main(void) { return count_small(1) + count_large(2); }
