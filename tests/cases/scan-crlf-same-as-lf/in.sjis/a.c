/*
 * 機能: main entry
 */
int main(void)
{
#if 0
    hidden();
#else
    work("a\
b");
#endif
}

// 機能: does the work
int work(const char *s) { puts(s); }
