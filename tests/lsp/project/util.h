#define SQUARE(x) mul(x, x)

static inline int twice(int x) {
  return x * 2;
}

int api_compute(int x);
int mul(int a, int b);
