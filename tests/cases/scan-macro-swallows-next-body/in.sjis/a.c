DECLARE_TABLE(items)
static int count;
int real_function(void)
{
    work();
}
