int fb(void) {}
