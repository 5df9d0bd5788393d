#ifdef CONFIG_SMP
int lock(int cpu) {
#else
int lock(void) {
#endif
    return take();
}
#if IS_ENABLED(CONFIG_NET) || defined(_WIN32)
int net(void) { return 1; }
#endif
int main(void) { return lock(0) + net(); }
