int fa(void) {}
