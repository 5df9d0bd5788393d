#
define X
#ifdef X
int a(void) { }
#endif
#
banana split
int b(void) { }
