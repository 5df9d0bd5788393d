int main(void) { helper(); gone(); }
