/* 機能: 入口 */
// 機能: 入口
int main(void) { a(); a(); b(); }
int b(void) { a(); }
int a(void) { }
