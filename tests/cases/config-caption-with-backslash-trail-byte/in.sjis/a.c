// 機能: old keyword
// 表示: 入口
int main(void)
{
    dup();
}
int dup(void) {}
int dup(void) {}
