int main(void) { x0(); x1(); x2(); x3(); x4(); x5(); }
