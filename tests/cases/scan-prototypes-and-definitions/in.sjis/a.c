int proto(int);
f(), g();
void (*signal(int, void (*)(int)))(int);
int old_style(a, b)
int a;
char *b;
{
    if (a) return f(g(b));
}
int
next_line
(void)
{
    old_style(1, "x");
    s.member(1); p->pointer(2); (*fp)(3);
    old_style(2, 0);
}
a(void){}b(void){}
