int main(void)
{
    helper();
    util();
    lonely();
    inl();
    arch_init();
    return MAX(1, 2);
}
static int helper(void) { return 0; }
