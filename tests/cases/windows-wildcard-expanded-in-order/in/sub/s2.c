int s2(void) {}
