void helper(void) { there(); }
void there(void) { }
void other(void) { helper(); }
