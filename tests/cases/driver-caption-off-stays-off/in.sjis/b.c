// Note: second
int other(void) {}
