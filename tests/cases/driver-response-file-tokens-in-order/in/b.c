int fb(void) { fc(); }
