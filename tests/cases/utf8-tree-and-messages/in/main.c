/*
 * 機能: エントリポイント
 */
int main(void)
{
    helper();
    helper2();
    return 0;
}

// 機能: 下請け
void helper(void) { helper2(); }

void helper2(void) { }
#else
