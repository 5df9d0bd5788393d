#define pop(L, n) settop(L, -(n)-1)
#define top(L) gettop(L)
void settop(int *L, int idx) { adjust(L, idx); }
int gettop(int *L) { return *L; }
void adjust(int *L, int idx) { *L += idx; }
int main(void)
{
    int s = 0;
    pop(&s, 1);
    return top(&s);
}
