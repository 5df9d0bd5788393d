int main(void)
{
    note();
}
int note(void) { return 0; }
