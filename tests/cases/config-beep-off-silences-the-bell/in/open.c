int f(void) {
