int s1(void) {}
