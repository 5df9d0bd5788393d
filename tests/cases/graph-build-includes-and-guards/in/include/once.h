#pragma once
#ifdef ONCE_SEEN
#define ONCE_TWICE 1
#endif
#define ONCE_SEEN 1
