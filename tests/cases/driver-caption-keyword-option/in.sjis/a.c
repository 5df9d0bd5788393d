// 機能: old keyword
// Note: starts here
int main(void)
{
    work();
}
/*
 * Note:does the work
 */
int work(void)
{
}
