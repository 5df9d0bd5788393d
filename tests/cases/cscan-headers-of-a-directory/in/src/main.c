#include "util.h"
int main(void) { return twice(deep_value()); }
