#include "fcntl--.h"
int make(void) { return creat("x", 0); }
