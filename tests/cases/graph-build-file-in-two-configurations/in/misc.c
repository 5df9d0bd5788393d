int release(int x) { return compile(x); }
