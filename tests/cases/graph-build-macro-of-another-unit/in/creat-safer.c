/* The header is not included here: creat is the system's. */
int creat(const char *file, int mode);
int creat_safer(const char *file, int mode) { return creat(file, mode); }
