int main(void) { work(); missing(); }
void work(void) { twice(); gone(); }
