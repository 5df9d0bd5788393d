int e(void) { f(); }
int g(int x,
