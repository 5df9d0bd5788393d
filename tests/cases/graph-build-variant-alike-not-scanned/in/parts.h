/* No guard: each way a file reads it is scanned. */
#ifdef PARTS_WIDE
static int part_wide(void) { return 2; }
#define PART part_wide
#else
static int part(void) { return 1; }
#define PART part
#endif
