int main(void) { helper(); gone(); }







void helper(void) { }
