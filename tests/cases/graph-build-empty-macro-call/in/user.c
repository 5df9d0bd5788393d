int registered(int action);

int use(void) { return registered(2); }
