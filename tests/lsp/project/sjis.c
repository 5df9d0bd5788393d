int sjis_entry(void) { /* •\Ž¦ */ return api_compute(2); }

int sjis_log(void) {
  const char *s = "•\"; return mul(s[0], sjis_entry());
}
