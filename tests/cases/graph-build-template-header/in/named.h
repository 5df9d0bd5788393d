/* Names its function after the includer's ID, through a macro of its own. */
#define NAMED PASTE(named_, ID)
int NAMED(void) { return 0; }
#undef NAMED
