int a(void)
{
    if (x) {
        b();
}
