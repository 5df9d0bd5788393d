int c(void)
{
    d();
}
}
// 機能: never captured at depth -1
int e(void) { f(); }
