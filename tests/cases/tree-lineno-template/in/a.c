int main(void)
{
    helper();
    twice();
    nowhere();
}





void helper(void) { }
