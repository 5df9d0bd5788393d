/* nothing is defined here */
int puts(const char *s);
