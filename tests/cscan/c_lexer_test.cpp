#include "cscan/c_lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "cscan/lexed_text.h"

namespace quenwick::ctest {
namespace {

// The tokens of `text` as "TEXT@LINE:COLUMN", joined by blanks.
std::string placed(std::string_view text, SourceEncoding encoding = SourceEncoding::Utf8) {
  const LexedText lexed(text, encoding);
  std::string out;
  for (const Token& token : lexed.tokens) {
    if (!out.empty()) out += ' ';
    out += std::string(token.text) + "@" + std::to_string(token.place.line) + ":" +
           std::to_string(token.place.column);
  }
  return out;
}

TEST(CLexerTest, PlacesAreOneBasedLinesAndByteColumns) {
  EXPECT_EQ(placed("int f;\n  g(x);"), "int@1:1 f@1:5 ;@1:6 g@2:3 (@2:4 x@2:5 )@2:6 ;@2:7");
  EXPECT_EQ(placed("a\r\nb"), "a@1:1 b@2:1");
  EXPECT_EQ(placed("\tx"), "x@1:2");
  EXPECT_EQ(placed("/* \xe8\xa1\xa8 */ x"), "x@1:11");  // 表 is three bytes
  EXPECT_EQ(placed("a /*\n\n*/ b"), "a@1:1 b@3:4");
}

TEST(CLexerTest, PlacesAfterSplicesArePhysical) {
  EXPECT_EQ(placed("fo\\\no(1);\nbar"), "foo@1:1 (@2:2 1@2:3 )@2:4 ;@2:5 bar@3:1");
  EXPECT_EQ(placed("a = \\\n  b;"), "a@1:1 =@1:3 b@2:3 ;@2:4");
  EXPECT_EQ(placed("a\\\r\n\\\nb c"), "ab@1:1 c@3:3");
  // A line comment goes on over a splice.
  EXPECT_EQ(placed("// c \\\n g(1);\nx"), "x@3:1");
}

TEST(CLexerTest, CommentsAreBlanks) {
  EXPECT_EQ(LexedText("a /* { */ b // c {\nd").joined(), "a b d");
  EXPECT_EQ(LexedText("a/**/b /*/ x */c").joined(), "a b c");
  const LexedText unclosed("a /* x\n");
  EXPECT_EQ(unclosed.joined(), "a");
  ASSERT_EQ(unclosed.problems.size(), 1u);
  EXPECT_EQ(unclosed.problems[0].kind, ScanProblem::UnclosedComment);
  EXPECT_EQ(unclosed.problems[0].place, (SourcePlace{1, 3}));
  // Stars that do not close it, lines counted through it, a NUL that ends it.
  EXPECT_EQ(placed("/**\n * a *\n ** b */ x\n/* * */y"), "x@3:10 y@4:8");
  const LexedText nul(std::string_view("a /* x \0 */ b", 14));
  ASSERT_EQ(nul.problems.size(), 1u);
  EXPECT_EQ(nul.problems[0].kind, ScanProblem::UnclosedComment);
}

TEST(CLexerTest, LiteralsAreWholeTokensWithTheirEscapes) {
  const LexedText lexed("s = \"a\\\"b{\" ; c = '\\'' ; t = \"\\\\\" y '\"' L\"x\" u8\"y\" U'z'");
  EXPECT_EQ(lexed.joined(),
            "s = \"a\\\"b{\" ; c = '\\'' ; t = \"\\\\\" y '\"' L\"x\" u8\"y\" U'z'");
  EXPECT_EQ(lexed.tokens[2].kind, TokenKind::String);
  EXPECT_EQ(lexed.tokens[6].kind, TokenKind::Character);
  EXPECT_EQ(lexed.tokens[13].kind, TokenKind::String);
  EXPECT_EQ(lexed.tokens[14].kind, TokenKind::String);
  EXPECT_EQ(lexed.tokens[15].kind, TokenKind::Character);
  EXPECT_TRUE(lexed.problems.empty());
}

TEST(CLexerTest, ALiteralWithoutItsQuoteEndsAtItsLine) {
  const LexedText lexed("f(\"abc\nx);");
  EXPECT_EQ(lexed.joined(), "f ( \"abc x ) ;");
  EXPECT_EQ(lexed.tokens[3].place, (SourcePlace{2, 1}));
  ASSERT_EQ(lexed.problems.size(), 1u);
  EXPECT_EQ(lexed.problems[0].kind, ScanProblem::UnclosedLiteral);
  EXPECT_EQ(lexed.problems[0].place, (SourcePlace{1, 3}));
}

TEST(CLexerTest, ADoubleByteCharacterNeverEndsALiteral) {
  // 表 is 0x95 0x5C: its second byte escapes nothing.
  const LexedText lexed("p(\"\x95\x5c\"); q('\x95\x5c');", SourceEncoding::Cp932);
  EXPECT_EQ(lexed.joined(), "p ( \"\x95\x5c\" ) ; q ( '\x95\x5c' ) ;");
  EXPECT_TRUE(lexed.problems.empty());
  EXPECT_EQ(placed("// \x95\x5c\nx", SourceEncoding::Cp932), "x@2:1");
}

// Text skipped for its directives: a "#" in a literal or a comment, or not first
// on its line, opens none, and lines are counted through literals and comments.
TEST(CLexerTest, SkippingToDirectivesPassesLiteralsAndComments) {
  auto directives = [](std::string_view text, SourceEncoding encoding) {
    const SourceText source(text, encoding);
    std::vector<ScanProblem> problems;
    CLexer lexer(source, problems);
    std::string found;
    while (lexer.skipToDirective()) {
      const Token word = lexer.nextInDirective();
      found += std::string(word.text) + "@" + std::to_string(word.place.line) + " ";
      lexer.skipDirectiveLine();
    }
    return found;
  };
  const std::string text =
      "int a = '#'; s = \"\\\" # \"; /* \n# no */ x / y; // # no\n"
      "#if A /* over\nlines */ \"#\" // c\n  # endif\nq # no\n\x95\x5c\"\n#define B";
  EXPECT_EQ(directives(text, SourceEncoding::Utf8), "if@3 endif@5 define@8 ");
  EXPECT_EQ(directives(text, SourceEncoding::Cp932), "if@3 endif@5 define@8 ");
}

TEST(CLexerTest, AHashFirstOnItsLineOpensADirectiveThatEndsWithTheLine) {
  const SourceText source("  #  define X \\\n 1 /* a\n b */ 2\nx # y", SourceEncoding::Utf8);
  std::vector<ScanProblem> problems;
  CLexer lexer(source, problems);
  const Token hash = lexer.next();
  EXPECT_EQ(hash.kind, TokenKind::Directive);
  EXPECT_EQ(hash.place, (SourcePlace{1, 3}));
  std::string directive;
  for (Token t = lexer.nextInDirective(); t.kind != TokenKind::LineEnd; t = lexer.nextInDirective()) {
    directive += std::string(t.text) + " ";
  }
  EXPECT_EQ(directive, "define X 1 2 ");
  const Token x = lexer.next();
  EXPECT_EQ(x.text, "x");
  EXPECT_EQ(x.place, (SourcePlace{4, 1}));
  EXPECT_TRUE(lexer.next().is(Punct::Hash));  // not first on its line
}

// The caption that the comments of `text` leave, with `keyword`.
std::string captionOf(std::string_view text, const std::string& keyword, bool captions = true,
                      SourceEncoding encoding = SourceEncoding::Utf8) {
  const SourceText source(text, encoding);
  std::vector<ScanProblem> problems;
  CLexer lexer(source, problems);
  lexer.setCaptionKeyword(keyword, captions);
  lexer.captureCaptions(true);
  while (lexer.next().kind != TokenKind::End) {
  }
  return lexer.caption();
}

// A replacement read whole spans exactly the tokens that reading them one by one
// gives, and leaves the lexer where they do: at the line's end, lines counted.
TEST(CLexerTest, TheRestOfADirectiveSpansItsTokens) {
  const std::vector<std::string> bodies = {
      "a + b",    "a /* c */ b // d",  "\"//\" x  ",  "'/*' y /**/",  "1'000 / 2 /= 3",
      "'open   ", "\"a\\\" b\" c",  "/* a\n b */ c /* d\n */",    "",  " /* only */ ",
      "L\"x\" u8'y' z\t\r",  "#x ## y \x95\x5c\" q"};
  for (const std::string& body : bodies) {
    for (SourceEncoding encoding : {SourceEncoding::Utf8, SourceEncoding::Cp932}) {
      const SourceText source("#define M " + body + "\nnext", encoding);
      std::vector<ScanProblem> problems;
      CLexer byTokens(source, problems), whole(source, problems);
      std::string_view spanned;
      for (CLexer* lexer : {&byTokens, &whole}) {
        lexer->next();
        lexer->nextInDirective();
        lexer->nextInDirective();
      }
      Token first = byTokens.nextInDirective(), last = first;
      for (Token t = first; t.kind != TokenKind::LineEnd; t = byTokens.nextInDirective()) last = t;
      if (first.kind != TokenKind::LineEnd) {
        spanned = std::string_view(first.text.data(),
                                   static_cast<std::size_t>(last.text.data() + last.text.size() - first.text.data()));
      }
      EXPECT_EQ(whole.restOfDirective(), spanned) << body;
      const Token after = whole.next(), expected = byTokens.next();
      EXPECT_EQ(after.text, "next") << body;
      EXPECT_EQ(after.place, expected.place) << body;
    }
  }
}

TEST(CLexerTest, CaptionsAreTheRestOfTheLastKeywordLineTrimmed) {
  EXPECT_EQ(captionOf("// @brief  first  \nint", "@brief"), "first");
  EXPECT_EQ(captionOf("/*\n * @brief second\n */\nint", "@brief"), "second");
  EXPECT_EQ(captionOf("// @brief one\n// @brief two\nint", "@brief"), "two");
  // The line that holds */ is not searched.
  EXPECT_EQ(captionOf("/* @brief none */\nint", "@brief"), "");
  EXPECT_EQ(captionOf("/** a * b\n * @brief three * x\n */\nint", "@brief"), "three * x");
  EXPECT_EQ(captionOf("// any words\nint", ""), "any words");
  EXPECT_EQ(captionOf("// @brief off\nint", "@brief", false), "");
  // 機能: 表示 in code page 932, whose 表 ends in 0x5C.
  EXPECT_EQ(captionOf("// \x8b\x40\x94\x5c: \x95\x5c\x8e\xa6\nint", "\x8b\x40\x94\x5c:", true,
                      SourceEncoding::Cp932),
            "\x95\x5c\x8e\xa6");
}

}  // namespace
}  // namespace quenwick::ctest
