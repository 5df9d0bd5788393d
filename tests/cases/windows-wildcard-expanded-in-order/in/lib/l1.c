int l1(void) { s1(); }
