#define LOCAL_FOUND 1
