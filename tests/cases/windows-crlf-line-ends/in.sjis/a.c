// 機能: entry point
int main(void)
{
    helper();
    missing();
}

int helper(void)
{
}
