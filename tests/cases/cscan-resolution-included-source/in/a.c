#include "impl.c"
int main(void) { return helper(); }
