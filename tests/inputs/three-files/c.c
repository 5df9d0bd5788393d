/* c.c */





int util(void) { return 2; }
