int main(void) { report(); local(); }
static void local(void) { }
static void local(void) { }
