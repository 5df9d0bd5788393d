#define DO_DECOMPRESS decompress
#include "decompress.ch"
