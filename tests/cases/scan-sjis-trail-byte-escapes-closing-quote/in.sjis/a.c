void show(void)
{
    puts("機能");
    later();
}
void other(void) { more(); }
