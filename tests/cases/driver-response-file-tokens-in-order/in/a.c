int fa(void) { fb(); }
