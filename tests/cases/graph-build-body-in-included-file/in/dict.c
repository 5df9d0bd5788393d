/* The head is this file's; the body, the template's. */
#define ASSERT_SIZE(e) extern int size_check[1 - !(e)];

ASSERT_SIZE(sizeof(int) == 4)
#include "inline.h"

int
decompress_dict (const char *in, int len)
#include "decompress.ch"

int main(void) { return decompress_dict("", 0) + fast_bit(1); }
