/* sample */
int square(int x);

/*
 * ‹@”\: entry point
 */
int main(void)
{
    square(1);
    printf("%d\n", 1);
    return 0;
}

int square(int x)
{
    return x * x;
}
