/* Built for a static and a shared library: nothing here asks which. */
#include "parts.h"

int lib_run(void) { return PART(); }
