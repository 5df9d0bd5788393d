int a(void) { b(); }
/* never closed
int z(void) { }
