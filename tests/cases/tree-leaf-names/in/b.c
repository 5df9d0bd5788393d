void spare(void) { init(); printf("y"); tidy(); }
void init(void) { more(); }
