#ifndef PRIV
#define PRIV(name) lib_##name
#endif
int PRIV(check)(int c) { return c > 0; }
