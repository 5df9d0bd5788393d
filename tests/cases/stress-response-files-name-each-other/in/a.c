int main(void) { f(); printf(""); }
int f(void) { }
