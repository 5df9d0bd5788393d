int main(void)
{
    helper();
}

int helper(void)
{
}
