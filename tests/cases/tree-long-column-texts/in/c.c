void twice(void) { }
