/*
 * First line
 * Last line of the comment
 */
int a(void) { }
// just a remark
int b(void) { }
/* one-liner */
int c(void) { }
