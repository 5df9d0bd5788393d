int ok(void) { return 0; }
