/* q.c: branches shared at different distances, recursion, and calls that lead
   back to where they started */
int main(void)
{
    parse();
    emit();
    check(1);
}
void parse(void) { lex(); emit(); }
void lex(void) { read(); }
void emit(void) { put(); flush(); emit(); }
void put(void) { write(); }
void flush(void) { write(); emit(); }
void check(int n) { check(n - 1); fail(); }
void fail(void) { report(); }
void report(void) { emit(); put(); }
