#define SWAP(a, b) do { \
    int t = (a); (a) = (b); (b) = t; \
  } while (0)
#define GUARD(x) if (x) \
    return
#define ENTRY(zName) {#zName, zName##_init, {0} }
  #  define OPEN {
int main(void)
{
    int a = 1, b = 2;
    SWAP(a, b);
    return run(a);
}
int run(int x) { return x; }
