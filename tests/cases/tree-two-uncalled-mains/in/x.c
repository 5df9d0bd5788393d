void early(void) { }
int main(void) { first(); }
void first(void) { }
