/* Its own head: no body of the declaration before the #include. */
static inline int fast_bit(int v)
{
  return v & 1;
}
