int fb1(void) {}
