#include "lsp/text_columns.h"

#include <gtest/gtest.h>

namespace quenwick {
namespace {

TEST(ColumnMapperTest, Utf8LinesInUtf16AndUtf8) {
  ColumnMapper columns;
  // "/* é表😀 */ f(" : é is 2 bytes, 表 3, 😀 4 (two UTF-16 units).
  const std::string line = "/* \xC3\xA9\xE8\xA1\xA8\xF0\x9F\x98\x80 */ f(";
  const std::size_t f = line.find('f');
  ASSERT_EQ(f, 16u);
  EXPECT_EQ(columns.columnOf(line, f, TextCoding::Utf8, PositionEncoding::Utf16), 11u);
  EXPECT_EQ(columns.columnOf(line, f, TextCoding::Utf8, PositionEncoding::Utf8), 16u);
  EXPECT_EQ(columns.offsetOf(line, 11, TextCoding::Utf8, PositionEncoding::Utf16), f);
  EXPECT_EQ(columns.offsetOf(line, 16, TextCoding::Utf8, PositionEncoding::Utf8), f);
  // Inside a character: its start. Beyond the end: the end.
  EXPECT_EQ(columns.columnOf(line, 7, TextCoding::Utf8, PositionEncoding::Utf16), 4u);
  EXPECT_EQ(columns.offsetOf(line, 6, TextCoding::Utf8, PositionEncoding::Utf16), 8u);
  EXPECT_EQ(columns.offsetOf(line, 99, TextCoding::Utf8, PositionEncoding::Utf16), line.size());
  // A stray byte counts as U+FFFD.
  EXPECT_EQ(columns.columnOf("\xFFx", 1, TextCoding::Utf8, PositionEncoding::Utf8), 3u);
  EXPECT_EQ(columns.columnOf("\xFFx", 1, TextCoding::Utf8, PositionEncoding::Utf16), 1u);
}

TEST(ColumnMapperTest, CodePage932LinesWithBackslashTrailBytes) {
  ColumnMapper columns;
  // 表 is 0x95 0x5C: its trail byte is "\". ｱ (0xB1) is one byte, U+FF71.
  const std::string line = "/* \x95\x5C\xB1 */ g(";
  const std::size_t g = line.find('g');
  EXPECT_EQ(columns.columnOf(line, g, TextCoding::Cp932, PositionEncoding::Utf16), 9u);
  EXPECT_EQ(columns.columnOf(line, g, TextCoding::Cp932, PositionEncoding::Utf8), 13u);
  EXPECT_EQ(columns.offsetOf(line, 9, TextCoding::Cp932, PositionEncoding::Utf16), g);
  EXPECT_EQ(columns.offsetOf(line, 13, TextCoding::Cp932, PositionEncoding::Utf8), g);
  // Greek alpha (0x83 0xBF) is two UTF-8 bytes.
  EXPECT_EQ(columns.columnOf("\x83\xBFh", 2, TextCoding::Cp932, PositionEncoding::Utf8), 2u);
}

TEST(LineStartsTest, LinesWithAndWithoutCarriageReturns) {
  const std::string text = "a\r\nbc\n\nd";
  LineStarts lines(text);
  EXPECT_EQ(lines.count(), 4u);
  EXPECT_EQ(lines.line(text, 0), "a");
  EXPECT_EQ(lines.line(text, 1), "bc");
  EXPECT_EQ(lines.line(text, 2), "");
  EXPECT_EQ(lines.line(text, 3), "d");
  EXPECT_EQ(lines.line(text, 4), "");
  EXPECT_EQ(lines.start(text, 3), 7u);
  EXPECT_EQ(lines.start(text, 9), text.size());
}

}  // namespace
}  // namespace quenwick
