#ifdef NOT_SET
int c_not_set(void) { return 0; }
#else
int c_plain_build(void) { return 1; }
#endif
