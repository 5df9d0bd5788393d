static int helper(void) { return 0; }
