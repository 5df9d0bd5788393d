int main(void) { helper(); }
void helper(void) { here(); }
void here(void) { }
