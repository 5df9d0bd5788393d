int fZeta(void) {}
