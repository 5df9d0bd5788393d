#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace quenwick {
namespace {

using namespace std::string_literals;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

TEST(Utf8Test, CodePage932BecomesUtf8AndWhatDoesNotConvertBecomesReplacements) {
  Utf8Converter cp932(true);
  EXPECT_EQ(cp932.convert("\x8b\x40\x94\x5c: \x83\x5c"), "機能: ソ");  // 0x5C trail bytes
  EXPECT_EQ(cp932.convert("\xb1\xb2 x"), "ｱｲ x");                      // half-width kana
  EXPECT_EQ(cp932.convert("plain\\~"), "plain\\~");
  // A lead byte with a wrong trail, a byte that is no character, a lead byte at
  // the end: each gives one replacement and the conversion goes on.
  EXPECT_EQ(cp932.convert("a\x81\x20z\xa0y\x94"), "a"s + std::string(kReplacement) + " z" +
                                                      std::string(kReplacement) + "y" +
                                                      std::string(kReplacement));
}

TEST(Utf8Test, Utf8IsCheckedByteByByte) {
  Utf8Converter utf8(false);
  const std::string r(kReplacement);
  EXPECT_EQ(utf8.convert("größe \xF0\x9F\x98\x80"), "größe \xF0\x9F\x98\x80");
  EXPECT_EQ(utf8.convert("\x80"), r);                          // lone continuation byte
  EXPECT_EQ(utf8.convert("\xC0\xAF"), r + r);                  // overlong "/"
  EXPECT_EQ(utf8.convert("\xED\xA0\x80"), r + r + r);          // a surrogate
  EXPECT_EQ(utf8.convert("\xF4\x90\x80\x80"), r + r + r + r);  // above U+10FFFF
  EXPECT_EQ(utf8.convert("\xE6\xA9"), r + r);                  // cut off
  EXPECT_EQ(utf8.convert("\xFF"
                         "a"),
            r + "a");
}

}  // namespace
}  // namespace quenwick
