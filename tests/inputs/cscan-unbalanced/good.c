#ifdef CONFIG_X
int x(void) { return 1; }
#endif
int main(void) { return x(); }
