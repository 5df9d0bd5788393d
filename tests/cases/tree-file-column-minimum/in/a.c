int main(void) { puts("hi"); }
