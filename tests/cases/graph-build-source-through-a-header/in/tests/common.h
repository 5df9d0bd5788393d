/* Tests reach the library's static functions through its source. */
#include "../lib.c"
