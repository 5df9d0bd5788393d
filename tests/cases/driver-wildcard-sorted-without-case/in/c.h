int fh(void) {}
