int main(void) { return ok(); }
