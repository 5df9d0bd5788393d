int main(void)
{
    if (ready()) printf("x");
    while (more()) step();
    helper();
    step();
}
int helper(void) { step(); }
int printf(const char *f) { write(f); }
