/* b.c */



int util(void) { return 1; }
