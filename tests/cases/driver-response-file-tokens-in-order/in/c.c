int fc(void) { printf(""); }
