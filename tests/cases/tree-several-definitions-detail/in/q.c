

void report(void) { deep(); }
