
void helper(void) { }
