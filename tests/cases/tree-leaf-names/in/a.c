int main(void) { init(); work(); printf("x"); }
void init(void) { setup(); }
void work(void) { init(); }
