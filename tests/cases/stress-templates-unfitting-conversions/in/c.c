int m(void) { }
