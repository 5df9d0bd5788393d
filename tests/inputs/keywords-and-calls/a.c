/* Keywords before "(" are no calls; a library call still is one. */
int main(int x)
{
    if (x)
        step(x);
    for (;;)
        if (step(sizeof(x)) > 0)
            break;
    while (x--)
        puts("again");
    return (0);
}

int step(int n)
{
    return n;
}
