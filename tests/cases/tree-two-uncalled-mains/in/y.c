void Main(void) { }
int main(int argc, char **argv) { second(); }
void second(void) { }
