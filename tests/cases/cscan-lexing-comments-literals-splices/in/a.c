/* a comment with a call(1) and a brace { */
int main(void)
{
    puts("}{ not(code) \" still a string");
    putchar('}');
    putchar('\'');
    // a comment that goes on \
    hidden(1);
    spl\
iced(2);
    return done();
}
int spliced(int x) { return x; }
