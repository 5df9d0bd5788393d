#define LONG 1
#include "frexp.c"
