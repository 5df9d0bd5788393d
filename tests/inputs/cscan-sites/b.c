static int log_msg(const char *s) { return 1; }
int helper(void) { return log_msg("c"); }
