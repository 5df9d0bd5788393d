#define MAX(a, b) ((a) > (b) ? (a) : (b))
static inline int inl(void) { return 5; }
