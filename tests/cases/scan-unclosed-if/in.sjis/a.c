#if 1
int a(void) { }
#ifdef 1
int b(void) { }
