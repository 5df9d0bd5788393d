int main(void) { work(); }
void work(void) { }
void restart(void) { main(); }
