// 機能: 表を作る
int main(void)
{
    puts("表"); first(); // 表
    make_table();
    return 0;
}
