int main(void)
{
    note();
    puts("x");
}
int note(void) { return 0; }
