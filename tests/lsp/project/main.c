/* The program: the UTF-8 file of the project. */
#include "util.h"

// 機能: 入口
int main(void) {
  /* 日本語 😀 */ int n = api_compute(helper(1)) + SQUARE(2);
  return n + twice(n);
}

static int helper(int x) {
  return x + 1;
}
