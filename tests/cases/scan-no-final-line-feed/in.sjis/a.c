int a(void) { b(); }
int b(void) { return c(); }