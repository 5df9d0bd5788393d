static int helper(int x) { return x; }
#define CODE(X) X
#define FN(X) X##_small
#include "template.h"
#undef FN
#define FN(X) X##_large
#include "template.h"
#undef FN
#define PASTE2(a, b) a##b
#define PASTE(a, b) PASTE2(a, b)
#define ID 1
#include "named.h"
#undef ID
#define ID 2
#include "named.h"
int main(void) { return count_small(1) + count_large(2) + named_1() + named_2(); }
