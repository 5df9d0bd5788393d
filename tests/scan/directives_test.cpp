#include "scan/directives.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "config/texts.h"
#include "scan/scan_fixture.h"

namespace quenwick::scantest {
namespace {

using namespace std::string_literals;

std::string elseMessage(int line) {
  char buf[128];
  std::snprintf(buf, sizeof buf, textFormat(Text::ElseUnmatched), line);
  return "\a"s + buf;
}
std::string endifMessage(int line) {
  char buf[128];
  std::snprintf(buf, sizeof buf, textFormat(Text::EndifExcess), line);
  return "\a"s + buf;
}
std::string unknownMessage(int line, const char* name) {
  char buf[256];
  std::snprintf(buf, sizeof buf, textFormat(Text::UnknownDirective), line, name);
  return buf;
}

using DirectiveTest = ScanTest;

// Which of the branches a, b, c of `text` reach the lexical layer, as the letters
// that are left when everything but lower-case letters is dropped.
class BranchTest : public ScanTest {
 protected:
  std::string letters(std::string_view text) {
    std::string kept;
    for (char c : codeChars(text)) {
      if (hasClass(c, kLower)) kept.push_back(c);
    }
    return kept;
  }
};

TEST_F(BranchTest, ConditionsChooseTheScannedBranches) {
  lists.defineList.appendName("X");
  struct Case {
    const char* text;
    const char* scanned;
  };
  const Case cases[] = {
      // #if counts by the lowest bit of its first token's digit; #else changes only
      // 0 and 1, so after 2 neither branch and after 3 both are scanned.
      {"#if 0\na\n#else\nb\n#endif\n", "b"},
      {"#if 1\na\n#else\nb\n#endif\n", "a"},
      {"#if 2\na\n#else\nb\n#endif\n", ""},
      {"#if 3\na\n#else\nb\n#endif\n", "ab"},
      {"#if 10\na\n#else\nb\n#endif\n", "a"},
      // Words, even defined ones, and other one-character tokens count as 0.
      {"#if X\na\n#else\nb\n#endif\n", "b"},
      {"#if !x\na\n#else\nb\n#endif\n", "b"},
      {"#if (1)\na\n#else\nb\n#endif\n", "b"},
      {"#ifdef X\na\n#endif\n#ifdef Y\nb\n#endif\n", "a"},
      {"#ifndef X\na\n#endif\n#ifndef Y\nb\n#endif\n", "b"},
      {"#ifdef 1\na\n#endif\n#ifndef 1\nb\n#endif\n", "a"},
      {"#if defined X\na\n#endif\n", "a"},
      {"#if defined(X)\na\n#endif\n", "a"},
      {"#if DEFINED ( X )\na\n#endif\n", "a"},
      {"#if Defined(Y)\na\n#endif\n", ""},
      {"#if defined 1\na\n#endif\n", ""},  // "1" is no word
      // Levels inside a branch not taken are pushed and popped by their own lines.
      {"#if 0\n#if 1\na\n#else\nb\n#endif\nc\n#else\nd\n#endif\ne\n", "de"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(letters(c.text), c.scanned);
    EXPECT_EQ(scanner.condDepth(), 0);
  }
}

TEST_F(DirectiveTest, OneCharacterConditionStaysForTheLexicalLayerAndAWordDoesNot) {
  EXPECT_EQ(codeChars("#if 10\nx\n#endif\n"), "10\nx\n\n<EOF>");
  lists.defineList.appendName("ONE");
  EXPECT_EQ(codeChars("#if\ndefined ONE x\n#endif\n"), "x\n\n<EOF>");
}

TEST_F(BranchTest, ElifChainsTakeOnlyTheFirstTrueBranch) {
  EXPECT_EQ(letters("#if 1\na\n#elif 1\nb\n#else\nc\n#endif\n"), "a");
  EXPECT_EQ(out(), "#elif 2\n");
  EXPECT_EQ(letters("#if 0\na\n#elif 1\nb\n#else\nc\n#endif\n"), "b");
  EXPECT_EQ(letters("#if 0\na\n#elif 0\nb\n#else\nc\n#endif\n"), "c");
  EXPECT_EQ(letters("#if 0\na\n#elif 2\nb\n#elif 1\nc\n#endif\n"), "");
  EXPECT_EQ(out(), "#elif 2\n#elif 1\n#elif 0\n#elif 2\n#elif 2\n");
}

TEST_F(BranchTest, ElifAfterAnOddValueAboveOneReadsNothingAndChangesNothing) {
  EXPECT_EQ(letters("#if 3\na\n#elif x\nb\n#endif\n"), "axb");
  EXPECT_EQ(out(), "#elif 3\n");
}

TEST_F(DirectiveTest, ElifWithNoOpenLevelReadsItsConditionAndWritesNothing) {
  EXPECT_EQ(codeChars("#elif 0\nx\n"), "0\nx\n<EOF>");
  EXPECT_EQ(scanner.condDepth(), 0);
  EXPECT_EQ(out(), "");
  EXPECT_EQ(err(), "");
}

TEST_F(DirectiveTest, ElseAndEndifWithoutALevelRingAndNameTheirLine) {
  codeChars("x\n#else // c\n#endif\n#endif x\n");
  // The line feed right after "endif" is read with the name: the next line is named.
  EXPECT_EQ(err(), elseMessage(2) + endifMessage(4) + endifMessage(4));
  EXPECT_EQ(scanner.condDepth(), 0);
}

TEST_F(DirectiveTest, UnknownDirectiveNamesTheLineAfterItWithoutBell) {
  EXPECT_EQ(codeChars("#IF 1\n#Define X\nx\n"), "\n\nx\n<EOF>");
  EXPECT_EQ(err(), unknownMessage(2, "IF") + unknownMessage(3, "Define"));
  EXPECT_FALSE(lists.defineList.containsName("X"));
}

TEST_F(BranchTest, NestingHasNoFixedLimit) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "#if 1\n";
  text += "#if 0\na\n#endif\nb\n";
  for (int i = 0; i < 40; ++i) text += "#endif\n";
  EXPECT_EQ(letters(text), "b");
  EXPECT_EQ(scanner.condDepth(), 0);
}

TEST_F(BranchTest, DefineAndUndefWorkInInactiveBranchesAndCountCopies) {
  EXPECT_EQ(letters("#if 0\n#define X\n#endif\n#ifdef X\na\n#endif\n"), "a");
  EXPECT_EQ(letters("#define Y\n#define Y\n#undef Y\n#ifdef Y\na\n#endif\n"), "a");
  EXPECT_EQ(letters("#if 0\n#undef Y\n#endif\n#ifdef Y\na\n#endif\n"), "");
}

TEST_F(DirectiveTest, RestOfTheLineAfterTheDefinedFormIsOrdinaryText) {
  lists.defineList.appendName("X");
  EXPECT_EQ(codeChars("#if defined(X) && y\n"), " && y\n<EOF>");
}

TEST_F(DirectiveTest, HashAloneTakesTheFirstWordOfTheNextLine) {
  EXPECT_EQ(codeChars("#\nfoo bar\nx\n"), "\nx\n<EOF>");
  EXPECT_EQ(err(), unknownMessage(3, "foo"));
  EXPECT_EQ(codeChars("#\nif 0\na\n#endif\nb\n"), "\nb\n<EOF>");
}

TEST_F(DirectiveTest, SkipPassesOverAHashCurrentAtItsStart) {
  // The empty #if takes the "#" of the next line as its condition; the skip then
  // reads past it, so that #endif is never seen and the second one closes the level.
  EXPECT_EQ(codeChars("#if\n#endif\na\n#endif\nb\n"), "\nb\n<EOF>");
  EXPECT_EQ(err(), "");
}

TEST_F(DirectiveTest, HashInACommentOrLiteralOfInactiveTextIsADirective) {
  EXPECT_EQ(codeChars("#if 0\n/* #foo */\nc = '#';\n#endif\nx\n"), "\nx\n<EOF>");
  EXPECT_EQ(err(), unknownMessage(3, "foo") + unknownMessage(4, "'"));
}

TEST_F(DirectiveTest, SkippedLineDirectivesLeaveTheLineFeedAndHideTheirBraces) {
  EXPECT_EQ(codeChars("#include <a{b>\n#pragma }\nx"), "\n\nx<EOF>");
  EXPECT_EQ(scanner.braceDepth(), 0);
  EXPECT_EQ(err(), "");  // both are known directives
  EXPECT_EQ(codeChars("#define M(a) \\\n  f(a)\n"), "\n  f(a)\n<EOF>");
}

TEST_F(DirectiveTest, EndInsideInactiveTextEndsTheScanWithTheLevelOpen) {
  EXPECT_EQ(codeChars("a\n#if 0\nb\n"), "a\n");
  EXPECT_EQ(scanner.condDepth(), 1);
}

TEST_F(DirectiveTest, HashAtTheVeryEndIsNotReported) {
  EXPECT_EQ(codeChars("a#"), "a");
  EXPECT_EQ(err(), "");
}

TEST_F(DirectiveTest, CommentAfterEndifCanCaptureACaption) {
  codeChars("#if 1\n#endif // " + std::string(kKeyword) + " after\n");
  EXPECT_EQ(scanner.lexer.caption(), "after");
}

}  // namespace
}  // namespace quenwick::scantest
