
int square(int x);




int main(void)
{
    square(1);
    printf("%d\n", square(2));
    return 0;
}

int square(int x)
{
    return x * x;
}
