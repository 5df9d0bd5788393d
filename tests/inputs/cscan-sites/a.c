int log_msg(const char *s) { return 0; }
int main(void)
{
    log_msg("a");
    helper();
    return log_msg("b");
}
