#include "config/texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace quenwick {
namespace {

std::string toCp932(std::string_view utf8) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string in(utf8), out(in.size() * 2 + 16, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  std::size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return "<not convertible>";
  out.resize(out.size() - outLeft);
  return out;
}

TEST(TextsTest, CodePage932FormsMatchTheUtf8Forms) {
  for (int i = 0; i < static_cast<int>(Text::Count); ++i) {
    Text id = static_cast<Text>(i);
    std::string_view utf8 = textIn(id, TextEncoding::Utf8);
    std::string_view cp932 = textIn(id, TextEncoding::Cp932);
    EXPECT_FALSE(utf8.empty()) << "text " << i;
    EXPECT_EQ(toCp932(utf8), std::string(cp932)) << "text " << i << ": " << utf8;
    // Both forms are used as C formats, so they must end where the view ends.
    EXPECT_EQ(utf8.data()[utf8.size()], '\0') << "text " << i;
    EXPECT_EQ(cp932.data()[cp932.size()], '\0') << "text " << i;
  }
}

TEST(TextsTest, EnvironmentValueSelectsTheEncoding) {
  const Text id = Text::DefaultCaption;
  for (const char* value : {"UTF-8", "utf8", "Utf-8", "uTf8"}) {
    selectTextEncoding(nullptr);
    selectTextEncoding(value);
    EXPECT_EQ(textEncoding(), TextEncoding::Utf8) << value;
    EXPECT_EQ(text(id), textIn(id, TextEncoding::Utf8));
  }
  for (const char* value :
       {static_cast<const char*>(nullptr), "", "latin1", "UTF8x", "UTF_8", "utf-16", " utf8"}) {
    selectTextEncoding("utf8");
    selectTextEncoding(value);
    EXPECT_EQ(textEncoding(), TextEncoding::Cp932) << (value ? value : "(null)");
    EXPECT_EQ(text(id), textIn(id, TextEncoding::Cp932));
    EXPECT_EQ(textFormat(id), textIn(id, TextEncoding::Cp932).data());
  }
  selectTextEncoding(nullptr);
}

}  // namespace
}  // namespace quenwick
