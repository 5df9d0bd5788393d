// 機能: entry point
int main(void)
{
    helper(1);
    printf("x");
    return 0;
}

int helper(int x)
{
    return x;
}
