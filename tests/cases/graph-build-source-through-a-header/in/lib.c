static int parse(int x) { return x; }
int api(int x) { return parse(x); }
