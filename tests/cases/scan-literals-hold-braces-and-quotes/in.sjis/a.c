int main(void)
{
    printf("{%d}\n", 1);
    putc('{', stdout);
    putc('\'', stdout);
    puts("\"}\" and '{' \\");
    puts("first line \
second line }");
    done();
}
int done(void) { return '}'; }
