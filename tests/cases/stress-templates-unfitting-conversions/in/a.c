int main(void) { f(); g(); h(); m(); }
int f(void) { f(); g(); }
int g(void) { }
