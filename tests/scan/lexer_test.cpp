#include "scan/lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "scan/scan_fixture.h"

namespace quenwick::scantest {
namespace {

using namespace std::string_literals;

using LexerTest = ScanTest;

TEST_F(LexerTest, SlashThatOpensNoCommentIsDeliveredOnceWithItsNeighbour) {
  EXPECT_EQ(codeChars("x = a/b;\n"), "x = a/b;\n<EOF>");
  EXPECT_EQ(codeChars("a/=2\n"), "a/=2\n<EOF>");
  EXPECT_EQ(codeChars("a/\"s\"b\n"), "a/b\n<EOF>");  // the held-back quote opens a literal
}

TEST_F(LexerTest, SlashAtTheVeryEndEndsTheScanOnTheNextRead) {
  EXPECT_EQ(codeChars("a/"), "a/");
}

TEST_F(LexerTest, LiteralsVanishWithTheirBracesAndEscapes) {
  EXPECT_EQ(codeChars("printf(\"{%d}\", n);"), "printf(, n);<EOF>");
  EXPECT_EQ(scanner.braceDepth(), 0);
  EXPECT_EQ(codeChars("c = '\\'';x"), "c = ;x<EOF>");
  EXPECT_EQ(codeChars("s = \"a\\\\\"b"), "s = b<EOF>");
  EXPECT_EQ(codeChars("s = \"a\nb\" c"), "s =  c<EOF>");  // a line feed does not end it
  EXPECT_EQ(scanner.reader.line(), 2);
}

TEST_F(LexerTest, ShiftJisTrailBackslashEscapesTheClosingQuote) {
  // The literal holds the bytes 0x94 0x5C: the quote after them does not close it,
  // so the literal runs to the quote before y, and the quote after y opens another
  // that the end of the file cuts off.
  EXPECT_EQ(codeChars("p(\"\x94\x5c\"); q(\"y\");\n"), "p(y");
}

TEST_F(LexerTest, CommentsVanishAndALineCommentLeavesItsLineFeed) {
  EXPECT_EQ(codeChars("a/* x */b\n"), "ab\n<EOF>");
  EXPECT_EQ(codeChars("a// x {\nb\n"), "a\nb\n<EOF>");
  EXPECT_EQ(codeChars("/*/ x */y/**/\"s\"/*\n*/z"), "yz<EOF>");
  EXPECT_EQ(codeChars("/* a /* b */c*/"),
            "c*/");  // no nesting; the last "/" looks ahead into the end
  EXPECT_EQ(scanner.braceDepth(), 0);
}

TEST_F(LexerTest, EndInsideALineCommentStillDeliversTheEnd) {
  EXPECT_EQ(codeChars("a// x"), "a<EOF>");
}

TEST_F(LexerTest, EndInsideABlockCommentOrLiteralEndsTheScanWithinTheCall) {
  EXPECT_EQ(codeChars("a/* x"), "a");
  EXPECT_EQ(codeChars("a\"x"), "a");
  EXPECT_EQ(codeChars("a'\\"), "a");
}

TEST_F(LexerTest, BracesAreCountedAndMayGoNegative) {
  codeChars("{{}");
  EXPECT_EQ(scanner.braceDepth(), 1);
  codeChars("}}{");
  EXPECT_EQ(scanner.braceDepth(), -1);
}

TEST_F(LexerTest, HashInTheMiddleOfALineStartsADirective) {
  EXPECT_EQ(codeChars("a # define X y\nb"), "a \nb<EOF>");
  EXPECT_TRUE(lists.defineList.containsName("X"));
}

// Captions.

std::string keywordLine(const std::string& text) {
  return " * "s + std::string(kKeyword) + text;
}

TEST_F(LexerTest, CaptionIsTheTrimmedRestOfTheLastKeywordLineAtDepthZero) {
  struct Case {
    std::string text;
    const char* caption;
  };
  const Case cases[] = {
      {"/*\n" + keywordLine(" entry point \n") + " */\n", "entry point"},
      {"//" + keywordLine(" line form\n"), "line form"},
      {"// text" + std::string(kKeyword) + "\tx y \r\n", "x y"},
      // Inside braces and at a negative depth nothing is captured.
      {"{ /*\n" + keywordLine(" inner\n") + "*/ }\n", ""},
      {"}\n//" + keywordLine(" negative\n"), ""},
      // The line that closes a block comment is not searched.
      {"/*" + keywordLine(" one line */\n"), ""},
      // The later keyword line wins; a line without the keyword changes nothing.
      {"//" + keywordLine(" first\n") + "/* plain\n" + keywordLine(" second\n") + " x */\n",
       "second"},
      {"//" + keywordLine(" kept\n") + "// nothing here\n", "kept"},
      // A NUL byte ends the searched line.
      {"//" + keywordLine(" ab\0cd\n"s), "ab"},
      {"// x\0"s + keywordLine(" hidden\n"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    codeChars(c.text);
    EXPECT_EQ(scanner.lexer.caption(), c.caption);
  }
}

TEST_F(LexerTest, EmptyKeywordTakesEverySearchedLine) {
  settings.caption = "";
  codeChars("/* first\n  second \t\n*/ x");
  EXPECT_EQ(scanner.lexer.caption(), "second");
  codeChars("// abc\n//\n");
  EXPECT_EQ(scanner.lexer.caption(), "");
}

TEST_F(LexerTest, CaptionsOffCaptureNothing) {
  options.showComments = false;
  codeChars("//" + keywordLine(" off\n"));
  EXPECT_EQ(scanner.lexer.caption(), "");
}

}  // namespace
}  // namespace quenwick::scantest
