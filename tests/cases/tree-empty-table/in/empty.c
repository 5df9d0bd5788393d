/* only declarations */
int f(void), g(int);
extern int h(int x);
int table[] = { 1, 2 };
void (*handler)(int);
