#define PRIV(name) name
#include "check.c"
int main(void) { return check(frexp_plain(1) + frexp_long(2)); }
