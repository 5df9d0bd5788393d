void report(void) { deep(); }
void deep(void) { }
