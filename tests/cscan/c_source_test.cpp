#include "cscan/c_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

using Offsets = std::vector<std::size_t>;

TEST(CSourceTest, SplicesJoinLinesWithLfOrCrLfAndBlanksBeforeTheLineEnd) {
  struct Case {
    const char* bytes;
    const char* text;
    Offsets splices;
  };
  for (const Case& c : {
           Case{"ab\\\ncd", "abcd", {2}},
           Case{"ab\\\r\ncd", "abcd", {2}},
           Case{"ab\\ \t\ncd", "abcd", {2}},
           Case{"ab\\ \t\r\ncd", "abcd", {2}},
           Case{"a\\\n\\\nb", "ab", {1, 1}},
           Case{"ab\\x\ncd", "ab\\x\ncd", {}},
           Case{"ab\\\\\ncd", "ab\\cd", {3}},
           Case{"ab\\", "ab\\", {}},
       }) {
    const SourceText source(c.bytes, SourceEncoding::Utf8);
    EXPECT_EQ(source.text(), c.text) << c.bytes;
    EXPECT_EQ(source.splices(), c.splices) << c.bytes;
    EXPECT_EQ(source.text().data()[source.text().size()], '\0');
    // A string given up is joined where it is, to the same text.
    const SourceText owned(std::string(c.bytes), SourceEncoding::Utf8);
    EXPECT_EQ(owned.text(), c.text) << c.bytes;
    EXPECT_EQ(owned.splices(), c.splices) << c.bytes;
    EXPECT_EQ(owned.text().data()[owned.text().size()], '\0');
  }
  // Long enough to live outside the string itself, with splices all along.
  std::string bytes, text;
  for (int i = 0; i < 200; ++i) {
    bytes += "#define X" + std::to_string(i) + " \\\n  " + std::to_string(i) + "\n";
    text += "#define X" + std::to_string(i) + "   " + std::to_string(i) + "\n";
  }
  const SourceText owned(std::string(bytes), SourceEncoding::Utf8);
  EXPECT_EQ(owned.text(), SourceText(bytes, SourceEncoding::Utf8).text());
  EXPECT_EQ(owned.text(), text);
  EXPECT_EQ(owned.splices().size(), 200u);
}

TEST(CSourceTest, InCodePage932ASecondByteBackslashIsNoSplice) {
  // 表 is 0x95 0x5C: the line feed after it stays.
  const SourceText character("// \x95\x5c\nx", SourceEncoding::Cp932);
  EXPECT_EQ(character.text(), "// \x95\x5c\nx");
  EXPECT_TRUE(character.splices().empty());
  // A backslash of its own after the character still splices.
  const SourceText both("\x95\x5c\\\nx", SourceEncoding::Cp932);
  EXPECT_EQ(both.text(), "\x95\x5cx");
  EXPECT_EQ(both.splices(), Offsets{2});
  // A byte that is no lead byte leaves the backslash alone.
  const SourceText single("\xb1\\\nx", SourceEncoding::Cp932);
  EXPECT_EQ(single.text(), "\xb1x");
}

TEST(CSourceTest, EncodingIsUtf8WhenTheBytesAreValidUtf8) {
  EXPECT_EQ(detectEncoding(""), SourceEncoding::Utf8);
  EXPECT_EQ(detectEncoding("int main(void) {}\n"), SourceEncoding::Utf8);
  EXPECT_EQ(detectEncoding("// \xe8\xa1\xa8\n"), SourceEncoding::Utf8);     // 表
  EXPECT_EQ(detectEncoding("// \x95\x5c\n"), SourceEncoding::Cp932);        // 表
}

TEST(CSourceTest, NulBytesMarkAFileThatIsNoText) {
  EXPECT_FALSE(holdsNul("int x;\n"));
  EXPECT_TRUE(holdsNul(std::string_view("int\0x;", 6)));
  EXPECT_TRUE(holdsNul(std::string_view("\0", 1)));
}

}  // namespace
}  // namespace quenwick
