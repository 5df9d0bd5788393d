int f(void) { return 0; }
}
int g(void) { return f(); }
