static inline int deep_value(void) { return 21; }
