int main(void) { f(); }
