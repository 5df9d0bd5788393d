int fB(void) {}
