int h(void)
