int c(void) { d("never closed); }
int y(void) { }
