#define LOCK_DEFINE(storage, name)
#define MATH_ONE(name) static double f_##name(double x) { return name(x); }
#define MATH_NONE(name)

/* Expands to nothing here: no part of the head below, which is not static. */
LOCK_DEFINE(static, table_lock)

int
registered (int action)
{
  return action;
}

#ifdef HAVE_POW10
MATH_ONE(pow10)
#else
MATH_NONE(pow10)
#endif
MATH_ONE(rint)

int main(void) { return registered(f_rint(1.0) > 0); }
