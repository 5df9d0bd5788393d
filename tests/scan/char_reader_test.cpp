#include "scan/char_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quenwick {
namespace {

using namespace std::string_literals;

class CharReaderTest : public ::testing::Test {
 protected:
  void open(std::string_view text) {
    reader.resetLineNo();
    reader.openSourceText(text);
  }
  CharReader reader;
  std::string word;
};

TEST_F(CharReaderTest, EmptyFileGivesOneLineFeedWithNothingCurrentThenEnds) {
  open("");
  EXPECT_EQ(reader.readChar(), '\n');
  EXPECT_EQ(reader.current(), -1);
  EXPECT_EQ(reader.line(), 1);  // the line feed of the end is not counted
  EXPECT_THROW(reader.readChar(), EndOfFile);
  reader.openSourceText("z");  // the end is not carried into the next file
  EXPECT_EQ(reader.readChar(), 'z');
}

TEST_F(CharReaderTest, LastLineWithoutLineFeedStillEndsWithOne) {
  open("ab");
  EXPECT_EQ(reader.readChar(), 'a');
  EXPECT_EQ(reader.readChar(), 'b');
  EXPECT_EQ(reader.readChar(), '\n');
  EXPECT_EQ(reader.current(), -1);
  EXPECT_THROW(reader.readChar(), EndOfFile);
}

TEST_F(CharReaderTest, LineNumberNamesTheNextLineWhileALineFeedIsCurrent) {
  open("a\nb");
  reader.readChar();
  EXPECT_EQ(reader.line(), 1);
  reader.readChar();
  EXPECT_EQ(reader.current(), '\n');
  EXPECT_EQ(reader.line(), 2);
  reader.readChar();
  EXPECT_EQ(reader.current(), 'b');
  EXPECT_EQ(reader.line(), 2);
}

TEST_F(CharReaderTest, HeldBackCharacterComesNextWithoutCountingItsLineAgain) {
  open("a\nz");
  reader.readChar();
  reader.readChar();  // the line feed: line 2
  reader.holdBack('\n', '/');
  EXPECT_EQ(reader.current(), '/');
  EXPECT_EQ(reader.readChar(), '\n');
  EXPECT_EQ(reader.line(), 2);
  EXPECT_EQ(reader.readChar(), 'z');  // held back once only
}

TEST_F(CharReaderTest, CharacterHeldBackAtTheEndIsDroppedNotCarriedIntoTheNextFile) {
  open("");
  reader.readChar();
  reader.holdBack('\n', reader.current());
  EXPECT_THROW(reader.readChar(), EndOfFile);
  open("z");
  EXPECT_EQ(reader.readChar(), 'z');
}

TEST_F(CharReaderTest, ReadWordGivesTheWordThenTheSameOneCharacterTokenAgain) {
  open("  foo_1(x");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, "foo_1");
  EXPECT_EQ(reader.current(), '(');
  EXPECT_EQ(reader.readWord(word), '(');
  EXPECT_EQ(word, "(");
  EXPECT_EQ(reader.readWord(word), '(');
  EXPECT_EQ(word, "(");
}

TEST_F(CharReaderTest, ReadWordCrossesLineEndsButStopsAtCarriageReturn) {
  open("\n\t\v\f bar\n\rx");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, "bar");
  EXPECT_EQ(reader.line(), 3);             // the line feed after the word is already read
  EXPECT_EQ(reader.readWord(word), '\r');  // the line feed is skipped, the CR is not
  EXPECT_EQ(word, "\r");
}

TEST_F(CharReaderTest, DigitsAndHighBytesNeverStartAWord) {
  open("9abc _9x\x94\x5c");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), '9');
  EXPECT_EQ(word, "9");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, "abc");
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, "_9x");
  EXPECT_EQ(reader.readWord(word), 0x94);
  EXPECT_EQ(word, "\x94");
}

TEST_F(CharReaderTest, TokenAtTheEndIsByte255WithResultMinusOne) {
  open("  ");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), -1);  // skipping the blanks met the end
  EXPECT_EQ(word, "\xff");
  EXPECT_EQ(reader.current(), -1);
}

TEST_F(CharReaderTest, NulByteIsAnEmptyTokenThatStaysCurrent) {
  open("\0x"s);
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, "");
  EXPECT_EQ(reader.current(), 0);
}

TEST_F(CharReaderTest, LongWordIsKeptWhole) {
  std::string longWord(3000, 'w');
  open(longWord + ";");
  reader.readChar();
  EXPECT_EQ(reader.readWord(word), 0);
  EXPECT_EQ(word, longWord);
}

TEST_F(CharReaderTest, SkipBlanksReadsNothingAtANonBlankAndStopsAtTheEnd) {
  open("x");
  reader.readChar();
  EXPECT_EQ(reader.skipBlanks(), 'x');
  EXPECT_EQ(reader.current(), 'x');
  reader.readChar();                   // the end: line feed returned, -1 current
  EXPECT_EQ(reader.skipBlanks(), -1);  // -1 is no blank: no read, so no end of scan
}

TEST_F(CharReaderTest, SkipToLineEndStaysOnACurrentLineFeedAndEndsTheScanWithoutOne) {
  open("a b\nc");
  reader.readChar();
  reader.skipToLineEnd();
  EXPECT_EQ(reader.current(), '\n');
  EXPECT_EQ(reader.line(), 2);
  reader.skipToLineEnd();
  EXPECT_EQ(reader.line(), 2);
  reader.readChar();
  EXPECT_THROW(reader.skipToLineEnd(), EndOfFile);
}

// The bulk reads must give the same names at the same lines as reading byte by
// byte, also across the read buffer's chunk boundary of a real file.
TEST(CharReaderRunTest, BulkReadsMatchReadingOneByteAtATime) {
  std::string text(TextInput::kChunkSize - 7, ' ');
  text += "abc_123xyz(\n\n 1.5e3 ]\r\n\x80\x9Fq";  // a name across the chunk boundary
  text += std::string(140000, ';') + "\n\n0x1F end";
  std::string path = ::testing::TempDir() + "quenwick_runs.c";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);

  // Reads names as the extraction does, each with the line at its end.
  auto names = [&](bool bulk) {
    CharReader reader;
    EXPECT_TRUE(reader.openSource(path));
    std::string seen;
    try {
      reader.readChar();
      for (;;) {
        if (hasClass(reader.current(), kWordStart)) {
          std::string name;
          do {
            name.push_back(static_cast<char>(reader.current()));
            if (bulk) reader.readWordRun(name);
            reader.readChar();
          } while (hasClass(reader.current(), kWordChar));
          seen += name + "@" + std::to_string(reader.line()) + " ";
          continue;
        }
        if (bulk) reader.skipPlainRun();
        reader.readChar();
      }
    } catch (const EndOfFile&) {
      seen += "end@" + std::to_string(reader.line());
    }
    return seen;
  };
  EXPECT_EQ(names(true), names(false));
  EXPECT_EQ(names(true), "abc_123xyz@1 e3@3 q@4 x1F@6 end@6 end@6");
  std::remove(path.c_str());
}

TEST(TrimTest, TrimSetIncludesCarriageReturnButNotHighBytes) {
  std::string text = "\t abc \r";
  EXPECT_EQ(trimBoth(text), "abc");
  text = " \t\n\v\f\r ";
  EXPECT_EQ(trimBoth(text), "");
  text = "\x8b\x40\x94\x5c:";
  EXPECT_EQ(trimBoth(text), "\x8b\x40\x94\x5c:");
  text = "\xa0x\xa0";
  EXPECT_EQ(trimBoth(text), "\xa0x\xa0");
  text = "  a b  ";
  EXPECT_EQ(trimLeft(text), "a b  ");
  EXPECT_EQ(trimRight(text), "a b");
}

}  // namespace
}  // namespace quenwick
