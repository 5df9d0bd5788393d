#include "cscan/c_expression.h"

#include <gtest/gtest.h>

#include <deque>

#include <string>

namespace quenwick {
namespace {

constexpr Truth T = Truth::True;
constexpr Truth F = Truth::False;
constexpr Truth U = Truth::Unknown;

// A symbol table with an object-like macro of each given value.
struct Symbols {
  Symbols() {}

  MacroTable table;
  std::deque<std::string> texts;  // what the table's views show

  Symbols& define(std::string_view name, std::string body = "1", bool valueKnown = true) {
    MacroState state;
    state.kind = MacroState::Defined;
    state.body = texts.emplace_back(std::move(body));
    state.valueKnown = valueKnown;
    table.set(name, std::move(state));
    return *this;
  }
  Symbols& undefine(std::string_view name) {
    MacroState state;
    state.kind = MacroState::Undefined;
    table.set(name, std::move(state));
    return *this;
  }
  Symbols& function(std::string_view name, std::vector<std::string> params, std::string body) {
    MacroState state;
    state.kind = MacroState::Defined;
    state.functionLike = true;
    for (std::string& param : params) state.params.push_back(texts.emplace_back(std::move(param)));
    state.body = texts.emplace_back(std::move(body));
    table.set(name, std::move(state));
    return *this;
  }
};

Truth eval(std::string_view condition, const Symbols& symbols = {}) {
  return evaluateCondition(tokenizeExpression(condition), symbols.table);
}

// Every condition of `cases` against its expected value, reported by its text.
void expectAll(std::initializer_list<std::pair<const char*, Truth>> cases,
               const Symbols& symbols = {}) {
  for (const auto& [condition, expected] : cases) {
    EXPECT_EQ(eval(condition, symbols), expected) << condition;
  }
}

TEST(CExpressionTest, DefinedWithAndWithoutParenthesesAsksTheTable) {
  Symbols symbols;
  symbols.define("A", "0").undefine("B");
  expectAll({{"defined A", T}, {"defined(A)", T}, {"defined ( A )", T}, {"!defined A", F},
             {"defined B", F}, {"defined(B)", F}, {"!defined(B)", T},
             {"defined C", U}, {"!defined(C)", U},
             // `defined` looks at the name, not at the value it expands to.
             {"defined(A) && A == 0", T},
             {"defined", U}, {"defined(A", U}, {"defined 1", U}},
            symbols);
}

TEST(CExpressionTest, UnknownsDecideNothingUnlessTheOtherSideDoes) {
  expectAll({{"0 && X", F}, {"X && 0", F}, {"1 && X", U}, {"X && 1", U},
             {"1 || X", T}, {"X || 1", T}, {"0 || X", U}, {"!X", U},
             {"1 ? 2 : X", T}, {"0 ? X : 0", F}, {"X ? 1 : 0", U}, {"1 ? X : 1", U},
             {"X + 1", U}, {"X == X", U}, {"(X) && (0)", F}});
}

TEST(CExpressionTest, PrecedenceIsCs) {
  expectAll({{"1 || 0 && 0", T}, {"(1 || 0) && 0", F}, {"2 + 3 * 4 == 14", T},
             {"(2 + 3) * 4 == 20", T}, {"1 | 2 == 2", T}, {"(6 & 3) == 2", T},
             {"(6 | 3) == 7", T}, {"(6 ^ 3) == 5", T}, {"1 << 2 + 1 == 8", T},
             {"0 ? 1 : 0 ? 0 : 1", T}, {"- - 1 == 1", T}, {"!!5 == 1", T}, {"~0 == -1", T}});
}

TEST(CExpressionTest, ComparisonsAndArithmeticFollowSignedAndUnsignedRules) {
  expectAll({{"1 < 2", T}, {"2 <= 2", T}, {"3 > 4", F}, {"3 >= 4", F}, {"1 != 1", F},
             {"-1 < 0", T}, {"-1 < 0u", F}, {"-1 > 0U", T}, {"-1u > 0", T},
             {"0xFFFFFFFFFFFFFFFF == -1", T}, {"18446744073709551615 > 0", T},
             {"9223372036854775807 > 0", T},
             {"7 / 2 == 3", T}, {"-7 / 2 == -3", T}, {"-7 % 2 == -1", T}, {"7 % -2 == 1", T},
             {"-1 / 2u > 0", T}, {"-1 / 2 == 0", T}});
}

TEST(CExpressionTest, ShiftsAreLogicalOnUnsignedAndUndefinedCountsAreUnknown) {
  expectAll({{"1 << 3 == 8", T}, {"-8 >> 1 == -4", T}, {"-1 >> 63 == -1", T},
             {"0xFFFFFFFFFFFFFFFF >> 63 == 1", T}, {"1u << 63 > 0", T},
             {"1 << 64", U}, {"1 >> 64", U}, {"1 << -1", U},
             // an unknown side with a count out of range: still no shift made
             {"X << 320", U}, {"X >> 320 || 1", T}, {"(1 << X) << 99", U}});
}

TEST(CExpressionTest, IntegerLiteralsInEveryBaseWithSuffixes) {
  expectAll({{"10 == 0xA", T}, {"10 == 0Xa", T}, {"012 == 10", T}, {"0b101 == 5", T},
             {"0 == 0", T}, {"0", F}, {"10u == 10", T}, {"10UL == 10", T}, {"10ull == 10", T},
             {"10LL == 10", T}, {"10uLL == 10", T}, {"10Lu == 10", T}});
}

TEST(CExpressionTest, NumbersThatAreNoIntegersMakeTheConditionUnknown) {
  expectAll({{"1.5", U}, {"1e3", U}, {"08", U}, {"0x", U}, {"0b2", U}, {"10uu", U},
             {"10lll", U}, {"10q", U}, {"18446744073709551616", U}, {"0 && 1.5", U}});
}

TEST(CExpressionTest, CharacterConstantsWithEscapes) {
  expectAll({{"'A' == 65", T}, {"'\\n' == 10", T}, {"'\\t' == 9", T}, {"'\\\\' == 92", T},
             {"'\\'' == 39", T}, {"'\"' == 34", T}, {"'\\x41' == 65", T}, {"'\\101' == 65", T},
             {"'\\0' == 0", T}, {"'\\377' == -1", T}, {"L'A' == 65", T},
             {"'ab' == 0", U}, {"'\\q' == 0", U}});
}

TEST(CExpressionTest, DivisionByZeroIsUnknownUnlessShortCircuited) {
  expectAll({{"1 / 0", U}, {"1 % 0", U}, {"(1 / 0) == 0", U}, {"0 && 1 / 0", F},
             {"1 || 1 % 0", T}, {"(-9223372036854775807 - 1) / -1", U}});
}

TEST(CExpressionTest, MalformedConditionsAreUnknownWhateverTheirValue) {
  expectAll({{"", U}, {"1 +", U}, {"(1", U}, {"1)", U}, {"1 2", U}, {"1 ? 2", U},
             {"\"s\"", U}, {")", U}, {"0 && (", U}, {"1 || +", U}, {"1 = 1", U}});
}

TEST(CExpressionTest, ObjectLikeMacrosExpandToTheirValues) {
  Symbols symbols;
  symbols.define("V", "3").define("W", "V + 1").define("E", "").undefine("GONE");
  symbols.define("K", "1", false).function("TWICE", {"x"}, "((x) * 2)");
  expectAll({{"V == 3", T}, {"W == 4", T}, {"V > 2 && W < 5", T}, {"W * 2 == 5", T},
             {"E + 1 == 1", T}, {"GONE == 0", T}, {"!GONE", T}, {"NOWHERE == 0", U},
             // Defined, with a value that cannot be told.
             {"defined K", T}, {"K == 1", U},
             {"TWICE(V) == 6", T}, {"UNKNOWN(2) == 4", U}, {"0 && UNKNOWN(2)", F}},
            symbols);
}

TEST(CExpressionTest, ExpressionsNestedTooDeepAreUnknownNotACrash) {
  const int shallow = 40;
  EXPECT_EQ(eval(std::string(shallow, '(') + "1" + std::string(shallow, ')')), T);
  const int deep = 5000;
  EXPECT_EQ(eval(std::string(deep, '(') + "1" + std::string(deep, ')')), U);
  EXPECT_EQ(eval(std::string(deep, '!') + "0"), U);
  EXPECT_EQ(eval(std::string(deep, '-') + "0"), U);
  std::string chain = "1";
  for (int i = 0; i < deep; ++i) chain += " ? 1 : 1";
  EXPECT_NE(eval(chain), F);
}

TEST(CExpressionTest, ThePlainBuildTakesUnknownSymbolsAsUndefined) {
  Symbols symbols;
  symbols.define("V", "2");
  auto byDefault = [&](std::string_view condition) {
    return evaluateByDefault(tokenizeExpression(condition), symbols.table);
  };
  EXPECT_FALSE(byDefault("defined CONFIG_X"));
  EXPECT_TRUE(byDefault("!defined(CONFIG_X)"));
  EXPECT_FALSE(byDefault("CONFIG_X"));
  EXPECT_TRUE(byDefault("CONFIG_X == 0 && V == 2"));
  EXPECT_FALSE(byDefault("__has_include(<stdio.h>)"));
  EXPECT_TRUE(byDefault("1 +"));  // malformed: compiled, as far as the scan can tell
}

// A replacement's tokens are kept by its text: another text in the same place
// (a file's, read after the first one's was dropped) has tokens of its own.
TEST(CExpressionTest, BodyTokensAreKeptByTextNotByPlace) {
  std::string text = "f ( x )";
  std::vector<PpToken> scratch;
  ASSERT_EQ(bodyTokens(text, scratch).size(), 4u);
  EXPECT_EQ(bodyTokens(text, scratch)[0].text, "f");
  text.replace(0, text.size(), "g");
  ASSERT_EQ(bodyTokens(text, scratch).size(), 1u);
  EXPECT_EQ(bodyTokens(text, scratch)[0].text, "g");
}

}  // namespace
}  // namespace quenwick
