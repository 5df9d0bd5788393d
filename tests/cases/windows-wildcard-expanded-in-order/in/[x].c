int fx(void) {}
