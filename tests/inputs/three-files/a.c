/* a.c: the program */

int main(void)
{
    init();
    loop();
    util();
    exit(0);
}
void init(void) { log(); }









void loop(void) { step(); init(); }









void step(void) { step(); log(); }




void spare(void) { }




void log(void) { }
