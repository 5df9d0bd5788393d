/* Included once for each kind, with FN naming the functions. */
int FN(count)(int x) CODE({
  return helper(x) + 1;
})
