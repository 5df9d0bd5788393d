// 機能: calls only itself
void self(void) { self(); }
void ping(void) { pong(); }
void pong(void) { ping(); }
// 機能: the start
int main(void) { a(); fact(3); }
// 機能: first of the pair
void a(void) { b(); }
void b(void) { a(); }
int fact(int n) { return n * fact(n - 1); }
