/* Compiled twice, and a header asks which. */
#include "visible.h"

void shared_entry(void) {}
void static_entry(void) {}

void api_start(void) { API_CALL(); }
