#define API(type) type
#define PRINTF(a, b)
API(int *) parse(const char *s) { return 0; }
static int *(lookup)(void) { return 0; }
int log_msg(const char *fmt, ...) PRINTF(1, 2) { return 0; }
void __init setup(void) __releases(x) __acquires(y) { }
static inline int __must_check check(int v) { return v; }
void die(void) __attribute__((noreturn)) { for (;;) ; }
int old(a, b)
int a;
char *b;
{
    return a;
}
void (*signal(int sig, void (*func)(int)))(int) { return func; }
SYSCALL_DEFINE3(open, const char __user *, filename, int, flags) { return 0; }
struct point { int x, y; } origin = { 1, 2 };
int table[] = { 1, 2 };
