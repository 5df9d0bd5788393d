#if 0
int c(void) { }
