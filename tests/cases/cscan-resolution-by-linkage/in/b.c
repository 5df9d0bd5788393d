static int helper(void) { return 1; }
static int util(void) { return 2; }
static int lonely(void) { return 3; }
int from_b(void) { return helper() + util() + lonely(); }
