int main(void)
{
    a();
    b();
    dup();
    ext();
}
int a(void)
{
    b();
    a();
}
int b(void)
{
}
int dup(void) {}
int dup(void) {}
