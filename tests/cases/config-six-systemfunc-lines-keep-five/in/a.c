int main(void)
{
    if (x) printf("");
    while (strlen(s)) other();
    helper();
}
int helper(void) { deeper(); }
