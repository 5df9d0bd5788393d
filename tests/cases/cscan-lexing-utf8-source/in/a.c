// 機能: 文字列を出す
int main(void)
{
    puts("あ\"{"); first();
    return second();
}
