int main(void) { printf("hi"); compute(); puts("x"); }
int compute(void) { return abs(-1); }
