#include "cscan/c_expander.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace quenwick {
namespace {

// Macros given as the text after "#define".
class Macros {
 public:
  Macros(std::initializer_list<std::string_view> definitions) {
    for (std::string_view text : definitions) define(text);
  }

  void define(std::string_view given) {
    const std::string_view text = keep(given);  // the table holds views of it
    std::size_t nameEnd = 0;
    while (nameEnd < text.size() && text[nameEnd] != '(' && text[nameEnd] != ' ') ++nameEnd;
    MacroState state;
    state.kind = MacroState::Defined;
    std::string_view rest = text.substr(nameEnd);
    if (!rest.empty() && rest.front() == '(') {
      state.functionLike = true;
      const std::size_t close = rest.find(')');
      std::string_view list = rest.substr(1, close - 1);
      while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string param(list.substr(0, comma));
        param.erase(0, param.find_first_not_of(' '));
        param.erase(param.find_last_not_of(' ') + 1);
        if (param == "...") {
          state.variadic = true;
          param = "__VA_ARGS__";
        }
        state.params.push_back(keep(param));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      }
      rest = rest.substr(close + 1);
    }
    state.body = keep(rest.substr(rest.find_first_not_of(' ') == std::string_view::npos
                                      ? rest.size()
                                      : rest.find_first_not_of(' ')));
    table.set(text.substr(0, nameEnd), std::move(state));
  }

  MacroTable table;

 private:
  // A lasting copy of `text`: the table holds views.
  std::string_view keep(std::string_view text) { return texts_.emplace_back(text); }

  std::deque<std::string> texts_;
};

// The expansion of `text`, its tokens joined by single blanks.
std::string expanded(std::string_view text, const Macros& macros, bool* complete = nullptr,
                     const ExpansionLimits& limits = {}) {
  std::vector<PpToken> out;
  const bool done = expandMacros(tokenizeExpression(text), macros.table, out, limits);
  if (complete != nullptr) *complete = done;
  std::string joined;
  for (const PpToken& token : out) {
    if (!joined.empty()) joined += ' ';
    joined += token.text;
  }
  return joined;
}

// C11 6.10.3.5 EXAMPLE 3: rescanning, nested calls, and # and ## with empty arguments.
TEST(CExpanderTest, StandardExampleOfRescanning) {
  const Macros macros{
      "x 2",          "f(a) f(x * (a))", "g f",       "z z[0]",  "h g(~",      "m(a) a(w)",
      "w 0,1",        "t(a) a",          "p() int",   "q(x) x",  "r(x,y) x ## y", "str(x) # x",
  };
  EXPECT_EQ(expanded("f(y+1) + f(f(z)) % t(t(g)(0) + t)(1);", macros),
            "f ( 2 * ( y + 1 ) ) + f ( 2 * ( f ( 2 * ( z [ 0 ] ) ) ) ) % f ( 2 * ( 0 ) ) + t ( 1 ) ;");
  EXPECT_EQ(expanded("g(x+(3,4)-w) | h 5) & m\n(f)^m(m);", macros),
            "f ( 2 * ( 2 + ( 3 , 4 ) - 0 , 1 ) ) | f ( 2 * ( ~ 5 ) ) & f ( 2 * ( 0 , 1 ) ) ^ m ( 0 , 1 ) ;");
  EXPECT_EQ(expanded("p() i[q()] = { q(1), r(2,3), r(4,), r(,5), r(,) };", macros),
            "int i [ ] = { 1 , 23 , 4 , 5 , } ;");
  EXPECT_EQ(expanded("char c[2][6] = { str(hello), str() };", macros),
            "char c [ 2 ] [ 6 ] = { \"hello\" , \"\" } ;");
}

// EXAMPLE 4: strings made by #, tokens pasted by ##, and the order of the two.
TEST(CExpanderTest, StandardExampleOfStringsAndPasting) {
  const Macros macros{
      "str(s) # s",
      "xstr(s) str(s)",
      "debug(s, t) printf(\"x\" # s \"= %d, x\" # t \"= %s\", x ## s, x ## t)",
      "INCFILE(n) vers ## n",
      "glue(a, b) a ## b",
      "xglue(a, b) glue(a, b)",
      "HIGHLOW \"hello\"",
      "LOW LOW \", world\"",
  };
  EXPECT_EQ(expanded("debug(1, 2);", macros),
            "printf ( \"x\" \"1\" \"= %d, x\" \"2\" \"= %s\" , x1 , x2 ) ;");
  EXPECT_EQ(expanded("fputs(str(strncmp(\"abc\\0d\", \"abc\", '\\4')\n == 0) str(: @\\n), s);",
                     macros),
            "fputs ( \"strncmp(\\\"abc\\\\0d\\\", \\\"abc\\\", '\\\\4') == 0\" \": @\\n\" , s ) ;");
  EXPECT_EQ(expanded("xstr(INCFILE(2).h)", macros), "\"vers2.h\"");
  EXPECT_EQ(expanded("glue(HIGH, LOW);", macros), "\"hello\" ;");
  EXPECT_EQ(expanded("xglue(HIGH, LOW)", macros), "\"hello\" \", world\"");
}

// A "/" is a token, not a blank: a path made by # or for an #include keeps its
// bytes together, as the kernel's trace headers name theirs; a comment is a blank.
TEST(CExpanderTest, TokensAfterASlashHaveNoBlankBefore) {
  const Macros macros{"str1(x) # x", "str(x) str1(x)", "PATH trace/events", "INC(s) str(PATH/s.h)"};
  EXPECT_EQ(expanded("INC(sched)", macros), "\"trace/events/sched.h\"");
  EXPECT_EQ(expanded("str(a/b /**/c/*x*/ / d)", macros), "\"a/b c / d\"");
  const std::vector<PpToken> tokens = tokenizeExpression("<trace/events/x.h>");
  for (std::size_t i = 0; i < tokens.size(); ++i) EXPECT_FALSE(tokens[i].spaceBefore) << i;
}

// EXAMPLE 5: placemarkers for empty arguments around ##.
TEST(CExpanderTest, StandardExampleOfEmptyArgumentsPasted) {
  const Macros macros{"t(x,y,z) x ## y ## z"};
  EXPECT_EQ(expanded("int j[] = { t(1,2,3), t(,4,5), t(6,,7), t(8,9,),\n"
                     " t(10,,), t(,11,), t(,,12), t(,,) };",
                     macros),
            "int j [ ] = { 123 , 45 , 67 , 89 , 10 , 11 , 12 , } ;");
}

// EXAMPLE 7: variable arguments, also made a string.
TEST(CExpanderTest, StandardExampleOfVariableArguments) {
  const Macros macros{
      "debug(...) fprintf(stderr, __VA_ARGS__)",
      "showlist(...) puts(#__VA_ARGS__)",
      "report(test, ...) ((test)?puts(#test): printf(__VA_ARGS__))",
  };
  EXPECT_EQ(expanded("debug(\"Flag\");", macros), "fprintf ( stderr , \"Flag\" ) ;");
  EXPECT_EQ(expanded("debug(\"X = %d\\n\", x);", macros),
            "fprintf ( stderr , \"X = %d\\n\" , x ) ;");
  EXPECT_EQ(expanded("showlist(The first, second, and third items.);", macros),
            "puts ( \"The first, second, and third items.\" ) ;");
  EXPECT_EQ(expanded("report(x>y, \"x is %d but y is %d\", x, y);", macros),
            "( ( x > y ) ? puts ( \"x>y\" ) : printf ( \"x is %d but y is %d\" , x , y ) ) ;");
}

TEST(CExpanderTest, CommaPastedToEmptyVariableArgumentsGoes) {
  const Macros macros{"e(fmt, ...) f(fmt, ## __VA_ARGS__)"};
  EXPECT_EQ(expanded("e(a)", macros), "f ( a )");
  EXPECT_EQ(expanded("e(a, b, c)", macros), "f ( a , b , c )");
}

TEST(CExpanderTest, AMacroNeverExpandsInsideItsOwnExpansion) {
  const Macros macros{"foo foo", "a b", "b a", "f(x) g(x)", "g(x) f(x)", "n(x) x + n(x)"};
  EXPECT_EQ(expanded("foo", macros), "foo");
  EXPECT_EQ(expanded("a b", macros), "a b");
  EXPECT_EQ(expanded("f(1)", macros), "f ( 1 )");
  EXPECT_EQ(expanded("n(n(1))", macros), "1 + n ( 1 ) + n ( 1 + n ( 1 ) )");
}

TEST(CExpanderTest, NamesWithoutACallOrAKnownValueStay) {
  Macros macros{"f(x) [x]"};
  MacroState unknown;
  unknown.kind = MacroState::Defined;
  unknown.valueKnown = false;
  unknown.body = "7";
  macros.table.set("K", unknown);
  EXPECT_EQ(expanded("f + f (1) K", macros), "f + [ 1 ] K");
  EXPECT_EQ(expanded("f(", macros), "f (");
}

TEST(CExpanderTest, ExpansionsPastTheLimitsStopAndSaySo) {
  // Each level doubles: 2^24 tokens unless the expansion stops.
  Macros macros{};
  for (int i = 0; i < 24; ++i) {
    macros.define("m" + std::to_string(i) + " m" + std::to_string(i + 1) + " m" +
                  std::to_string(i + 1));
  }
  bool complete = true;
  ExpansionLimits limits;
  limits.tokens = 1000;
  const std::string out = expanded("m0", macros, &complete, limits);
  EXPECT_FALSE(complete);
  EXPECT_LE(out.size(), std::size_t{10000});
  limits.tokens = 1 << 24;
  limits.steps = 1000;
  expanded("m0", macros, &complete, limits);
  EXPECT_FALSE(complete);

  Macros nest{"f(x) x"};
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "f(";
  deep += "1";
  deep += std::string(200, ')');
  expanded(deep, nest, &complete);
  EXPECT_FALSE(complete);

  EXPECT_EQ(expanded("f(f(1))", nest, &complete), "1");
  EXPECT_TRUE(complete);
}

// An argument is expanded once however often it stands in the body, and raw
// next to # and ##; the result is the same as expanding each use.
TEST(CExpanderTest, AnArgumentUsedOftenExpandsAlike) {
  Macros macros{"S(x, n) (((x) << (n)) | ((x) >> (32 - (n))))", "P(a, s) (a) = S((a), (s)) + S(a, 10)",
                "P2(a, s) P((a), (s)); P(a ## p, s); #a", "F F1", "F1(x) x + 1"};
  // As gcc -E has them.
  EXPECT_EQ(expanded("P2(v.A, 11)", macros),
            "( ( v . A ) ) = ( ( ( ( ( v . A ) ) ) << ( ( ( 11 ) ) ) ) | ( ( ( ( v . A ) ) ) >> ( 32 - ( ( ( 11 ) ) ) ) ) ) + "
            "( ( ( ( v . A ) ) << ( 10 ) ) | ( ( ( v . A ) ) >> ( 32 - ( 10 ) ) ) ) ; "
            "( v . Ap ) = ( ( ( ( v . Ap ) ) << ( ( 11 ) ) ) | ( ( ( v . Ap ) ) >> ( 32 - ( ( 11 ) ) ) ) ) + "
            "( ( ( v . Ap ) << ( 10 ) ) | ( ( v . Ap ) >> ( 32 - ( 10 ) ) ) ) ; \"v.A\"");
  EXPECT_EQ(expanded("S(F(2), F)", macros), "( ( ( 2 + 1 ) << ( F1 ) ) | ( ( 2 + 1 ) >> ( 32 - ( F1 ) ) ) )");
}

// Past the bound on the bodies a thread keeps split, a body is split for its
// expansion alone, and its tokens live as long as the expansion does.
TEST(CExpanderTest, BodiesPastTheCacheBoundExpandAlike) {
  std::thread([] {
    // Fill this thread's cache: 16 MB of bodies of 64 KB.
    const std::string filler(std::size_t{1} << 16, 'x');
    Macros fill{};
    for (int i = 0; i < 300; ++i) fill.define("m" + std::to_string(i) + " " + filler + std::to_string(i));
    for (int i = 0; i < 300; ++i) expanded("m" + std::to_string(i), fill);
    Macros macros{"g(a, b) a ## b + h(a) + #b", "h(x) [x x]"};
    EXPECT_EQ(expanded("g(x, 2) g(h(1), 2)", macros), "x2 + [ x x ] + \"2\" [ 1 1 ] 2 + [ [ 1 1 ] [ 1 1 ] ] + \"2\"");
  }).join();
}

}  // namespace
}  // namespace quenwick
