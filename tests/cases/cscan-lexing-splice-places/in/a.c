int main(void)
{
    int n = spl\
iced(1) + \
  spliced(2);
    return spliced(n);
}
int spliced(int x) { return x; }
