#ifdef __cplusplus
extern "C" {
#endif
#if 0
This isn't compiled: don't read it as code {
#endif
int api(void) { return helper(); }
static int helper(void) { return 0; }
#ifdef __cplusplus
}
#endif
