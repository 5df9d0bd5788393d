int here(void) { return 1; }
