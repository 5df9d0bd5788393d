/* A parser as a generator writes it. */
#line 2 "parse.c"

int
yyparse (void)
{
  int token = yylex ();
#line 6 "parse.y"
  take (token);
#line 10 "parse.c"
  return token;
}
#line 9 "parse.y"
static int
yylex (void)
{
  return next_token ();
}
#line 23 "parse.c"

int
after (void)
{
  return yyparse ();
}
#line 30 "missing.y"
int lost (void) { return 0; }
