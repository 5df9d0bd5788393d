#include "util.h"

static int helper(int x) {
  return x * 3;
}

int api_compute(int x) {
  return helper(x) + mul(x, 2);
}
