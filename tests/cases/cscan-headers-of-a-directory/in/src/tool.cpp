int not_c(void) { return 0; }
