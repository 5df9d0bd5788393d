/* 機能: one line block comment */
int one(void) { }
// 機能: first
/*
 * 機能: second wins
 */
int two(void)
{
    // 機能: inside a body
    one();
}
/*
 * 機能:   before a prototype  
 */
int proto(void);
int three(void) { two(); }
