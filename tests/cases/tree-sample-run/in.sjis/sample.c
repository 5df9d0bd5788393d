/* sample program */
int square(int x);

/*
 * 機能: entry point
 */
int main(void)
{
    square(1);
    printf("%d\n", square(2));
    return 0;
}

int square(int x) { return x * x; }
