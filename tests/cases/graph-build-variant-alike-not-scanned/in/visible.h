#ifndef VISIBLE_H
#define VISIBLE_H
/* What the shared library's build exports, as visibility headers do. */
#ifdef api_EXPORTS
#define API_CALL shared_entry
#else
#define API_CALL static_entry
#endif
#endif
