#if defined(DO_DECOMPRESS)
int DO_DECOMPRESS (const char *in, int len)
#endif
{
  return copy_bytes(in, len);
}
