int h(void) { return g();
