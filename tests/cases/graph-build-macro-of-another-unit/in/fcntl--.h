/* Included by the files that want the safer call in place of the plain one. */
#define creat creat_safer
int creat_safer(const char *file, int mode);
