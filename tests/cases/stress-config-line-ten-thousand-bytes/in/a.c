int main(void) { f(); g(); }
int f(void) { f(); g(); }
int g(void) { }
