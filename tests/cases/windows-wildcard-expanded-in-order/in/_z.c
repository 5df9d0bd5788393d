int fz(void) {}
