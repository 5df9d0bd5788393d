int main(void) { dup(); }
int dup(void) {}
int dup(void) {}
