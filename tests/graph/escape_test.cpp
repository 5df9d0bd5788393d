#include "graph/escape.h"

#include <gtest/gtest.h>

#include <string>

namespace quenwick {
namespace {

using namespace std::string_literals;

std::string json(std::string_view text, bool forHtml = false) {
  std::string out;
  appendJsonEscaped(text, out, forHtml);
  return out;
}

TEST(EscapeTest, JsonKeepsTextAndEscapesWhatAStringCannotHold) {
  EXPECT_EQ(json("q\"b\\s/ \t\n\x01\x1f\x7f\0z"s), "q\\\"b\\\\s/ \\t\\n\\u0001\\u001f\x7f\\u0000z");
  EXPECT_EQ(json("<a>&\xE2\x80\xA8\xC3\xA9"), "<a>&\xE2\x80\xA8\xC3\xA9");
  // Inside a script element nothing may close it or start a comment, and every
  // character beyond ASCII is an escape (two for one beyond U+FFFF).
  EXPECT_EQ(json("</script><!--&\xE2\x80\xA8\xE2\x80\xA9\xE2\x80\xAA", true),
            "\\u003c/script\\u003e\\u003c!--\\u0026\\u2028\\u2029\\u202a");
  EXPECT_EQ(json("\xC3\xA9\xE6\xA9\x9F\xF0\x9F\x98\x80\xEF\xBF\xBDz", true),
            "\\u00e9\\u6a5f\\ud83d\\ude00\\ufffdz");
}

TEST(EscapeTest, DotQuotesAndSplitsLongTextsOnlyBetweenCharacters) {
  std::string out;
  appendDotString("a\"b\\c{<x>}\x01", out);
  EXPECT_EQ(out, "\"a\\\"b\\\\c{<x>}\x01\"");

  // 8191 bytes, then "é" (two bytes), then more: the piece ends after the whole "é".
  std::string text = std::string(8191, 'n') + "\xC3\xA9" + "\\tail";
  out.clear();
  appendDotString(text, out);
  EXPECT_EQ(out, "\"" + std::string(8191, 'n') + "\xC3\xA9\" + \"\\\\tail\"");

  out.clear();
  appendDotLabel("main", "a.c:3", out);
  EXPECT_EQ(out, "\"main\\na.c:3\"");
  out.clear();
  appendDotLabel(std::string(9000, 'm'), "a.c:3", out);
  EXPECT_TRUE(out.ends_with(std::string(100, 'm') + "\" + \"\\n\" + \"a.c:3\"")) << out.size();
}

}  // namespace
}  // namespace quenwick
