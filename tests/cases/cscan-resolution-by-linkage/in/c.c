int util(void) { return 4; }
