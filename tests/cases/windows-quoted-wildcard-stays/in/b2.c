int fb2(void) {}
