#define FROM_ESC 1
