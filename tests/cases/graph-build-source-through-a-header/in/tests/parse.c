#include "common.h"
int main(void) { return parse(1); }
