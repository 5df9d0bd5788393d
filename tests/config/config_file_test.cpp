#include "config/config_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "config/texts.h"
#include "scratch_dir.h"

namespace quenwick {
namespace {

using namespace std::string_literals;

// Writes quenwick.cfg into a scratch program directory and reads it with standard
// error going to a file of its own.
class ConfigFileTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    errPath_ = (dir_ / "stderr").string();
    errFd_ = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(errFd_, 0);
    console_ = std::make_unique<Console>(-1, errFd_);
    console_->beep = &settings.beep;
  }
  void TearDown() override {
    console_.reset();
    ::close(errFd_);
    ScratchDirTest::TearDown();
  }

  // Reads `bytes` as the configuration file; returns what went to standard error.
  std::string read(const std::string& bytes) {
    std::ofstream(dir_ / "quenwick.cfg", std::ios::binary) << bytes;
    EXPECT_TRUE(readConfiguration(dir_.string() + "/", settings, *console_));
    console_->err.flush();
    std::ifstream in(errPath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string errPath_;
  int errFd_ = -1;
  std::unique_ptr<Console> console_;
  Settings settings;
  const Settings defaults;
};

std::string unknown(const std::string& line) {
  return "unknown configration '" + line + "' \n\a";
}

// The fourteen texts, each with its key as the configuration file writes it.
std::vector<std::pair<std::string, std::string>> textsByKey(const Settings& s) {
  return {{"belong", s.belong},     {"nobelong", s.nobelong},   {"multibelong", s.multibelong},
          {"lineno", s.lineno},     {"twig1", s.twig1},         {"twig2", s.twig2},
          {"twig3", s.twig3},       {"twig4", s.twig4},         {"nest", s.nest},
          {"function", s.function}, {"recursion", s.recursion}, {"multi", s.multi},
          {"expanded", s.expanded}, {"caption", s.caption}};
}

void expectSameTexts(const Settings& a, const Settings& b) {
  EXPECT_EQ(textsByKey(a), textsByKey(b));
  EXPECT_EQ(a.systemFuncTables, b.systemFuncTables);
  EXPECT_EQ(a.beep, b.beep);
}

TEST_F(ConfigFileTest, MissingFileIsSilentAndChangesNothing) {
  EXPECT_FALSE(readConfiguration(dir_.string() + "/", settings, *console_));
  expectSameTexts(settings, defaults);
}

TEST_F(ConfigFileTest, CommentsAndBlankLinesChangeNothing) {
  EXPECT_EQ(read(""), "");
  EXPECT_EQ(read("; nest = \"x\"\n\n   \n;;\r\n\t; beep = \"0\"\n"), "");
  expectSameTexts(settings, defaults);
}

TEST_F(ConfigFileTest, SetsEverySettingByItsKey) {
  const std::vector<std::string> keys = {
      "belong", "nobelong", "multibelong", "lineno",    "twig1", "twig2",    "twig3",
      "twig4",  "nest",     "function",    "recursion", "multi", "expanded", "caption"};
  std::string file;
  for (const std::string& key : keys) file += key + " = \"v-" + key + "\"\n";
  file += "systemfunc = \"v-systemfunc\"\nbeep=\" -12abc\"\n";
  EXPECT_EQ(read(file), "");
  std::vector<std::pair<std::string, std::string>> expected;
  for (const std::string& key : keys) expected.emplace_back(key, "v-" + key);
  EXPECT_EQ(textsByKey(settings), expected);
  EXPECT_EQ(settings.systemFuncTables, (std::vector<std::string>{"v-systemfunc"}));
  EXPECT_EQ(settings.beep, -12);
}

TEST_F(ConfigFileTest, KeysMatchAsPrefixesInTableOrder) {
  EXPECT_EQ(read("multibelong=\"A\"\nmultiple=\"B\"\nmultibelongs=\"C\"\n"
                 "beeper=\"0\"\ntwig12=\"D\"\nexpandedness=\"E\"\n"),
            "");
  EXPECT_EQ(settings.multibelong, "C");
  EXPECT_EQ(settings.multi, "B");
  EXPECT_EQ(settings.beep, 0);
  EXPECT_EQ(settings.twig1, "D");
  EXPECT_EQ(settings.twig2, defaults.twig2);
  EXPECT_EQ(settings.expanded, "E");
}

TEST_F(ConfigFileTest, LineNeedsAnEqualsSignAnywhereAndBothQuotes) {
  EXPECT_EQ(read("nest \"<x>\"\n"      // no "=": ignored
                 "function \"a=b\"\n"  // "=" only inside the quotes: accepted
                 "twig1 = \"open\n"    // no closing quote: ignored
                 "twig2 = nothing\n"   // no quote at all: ignored
                 "twig3 = \"a\" tail \"b\"\n"
                 "nobelong = \"\"\n"),
            "");
  EXPECT_EQ(settings.nest, defaults.nest);
  EXPECT_EQ(settings.function, "a=b");
  EXPECT_EQ(settings.twig1, defaults.twig1);
  EXPECT_EQ(settings.twig2, defaults.twig2);
  EXPECT_EQ(settings.twig3, "a");
  EXPECT_EQ(settings.nobelong, "");
}

TEST_F(ConfigFileTest, SemicolonCutsTheLineEvenInsideQuotes) {
  EXPECT_EQ(read("nest = \"<%d>\" ; back to the default\n"
                 "function = \"%s;()\"\n"
                 "Unknown = \"a;b\"\n"  // unknown key, but the value is lost: no message
                 "twig4 = \"x\";\"y\"\n"),
            "");
  EXPECT_EQ(settings.nest, "<%d>");
  EXPECT_EQ(settings.function, defaults.function);
  EXPECT_EQ(settings.twig4, "x");
}

TEST_F(ConfigFileTest, UnknownKeyQuotesTheLineWithItsLineFeedAndRingsAlways) {
  std::string out =
      read("beep = \"0\"\nNest = \"x\"\n nest = \"y\"\n\tbelong=\"z\"\r\nzz = \"q\" ; cut\n");
  EXPECT_EQ(out, unknown("Nest = \"x\"\n") + unknown(" nest = \"y\"\n") +
                     unknown("\tbelong=\"z\"\n") + unknown("zz = \"q\" "));
  EXPECT_EQ(settings.nest, defaults.nest);
  EXPECT_EQ(settings.belong, defaults.belong);
  EXPECT_EQ(settings.beep, 0);
}

TEST_F(ConfigFileTest, LastLineWithoutLineFeedIsProcessedOnce) {
  EXPECT_EQ(read("twig1 = \"a\"\nmystery = \"b\""), unknown("mystery = \"b\""));
  EXPECT_EQ(settings.twig1, "a");
  // Reading anew: the same line with its line feed.
  EXPECT_EQ(read("mystery = \"b\"\n"), unknown("mystery = \"b\"") + unknown("mystery = \"b\"\n"));
}

TEST_F(ConfigFileTest, LongLinesAreReadIn254BytePieces) {
  std::string first = "twig1 = \"A\"";
  first.resize(254, ' ');  // fills the first piece exactly
  // The rest of the line is a line of its own.
  EXPECT_EQ(read(first + "twig2 = \"B\"\n"), "");
  EXPECT_EQ(settings.twig1, "A");
  EXPECT_EQ(settings.twig2, "B");

  // A value whose closing quote is byte 255 is lost; the piece after it has no "=".
  std::string cut = "caption = \"";
  cut.resize(254, 'c');
  EXPECT_EQ(read(cut + "\"\n"), "");
  EXPECT_EQ(settings.caption, defaults.caption);

  // The second piece of a long unknown line is reported on its own.
  std::string longUnknown = "nest = \"n\"";
  longUnknown.resize(254, '-');
  EXPECT_EQ(read(longUnknown + "xx = \"y\"\n"), unknown("xx = \"y\"\n"));
  EXPECT_EQ(settings.nest, "n");
}

TEST_F(ConfigFileTest, ValuesAreCopiedAsBytes) {
  // 機能: in Shift_JIS: the trail byte of 能 is the backslash.
  std::string sjisCaption = "\x8b@\x94\\:";
  EXPECT_EQ(
      read("caption = \"" + sjisCaption + "\"\nfunction = \"x\\\" tail\"\nnest=\"\x81\x60%d\"\n"),
      "");
  EXPECT_EQ(settings.caption, sjisCaption);
  EXPECT_EQ(settings.function, "x\\");
  EXPECT_EQ(settings.nest, "\x81\x60%d");
}

TEST_F(ConfigFileTest, SixSystemFuncLinesKeepTheFirstFive) {
  std::string file;
  for (int i = 1; i <= 6; ++i) file += "systemfunc = \"t" + std::to_string(i) + ".tbl\"\n";
  EXPECT_EQ(read(file), "");
  EXPECT_EQ(settings.systemFuncTables,
            (std::vector<std::string>{"t1.tbl", "t2.tbl", "t3.tbl", "t4.tbl", "t5.tbl"}));
}

TEST_F(ConfigFileTest, LastValueWinsAndLongValuesStayWhole) {
  std::string longValue(200, 'w');
  EXPECT_EQ(read("nest = \"a\"\nnest = \"" + longValue + "\"\n"), "");
  EXPECT_EQ(settings.nest, longValue);
}

TEST_F(ConfigFileTest, NulByteEndsTheLineText) {
  EXPECT_EQ(read("nest = \"a\0b\"\ntwig1 = \"c\"\n"s), "");
  EXPECT_EQ(settings.nest, defaults.nest);
  EXPECT_EQ(settings.twig1, "c");
}

TEST(ExtractQuotedValueTest, CopiesUpToTheNextQuote) {
  std::string value = "old";
  EXPECT_TRUE(extractQuotedValue(value, "abc\" rest\""));
  EXPECT_EQ(value, "abc");
  EXPECT_TRUE(extractQuotedValue(value, "\""));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(extractQuotedValue(value, "no end"));
  EXPECT_EQ(value, "no end");
  EXPECT_FALSE(extractQuotedValue(value, ""));
  EXPECT_EQ(value, "");
}

TEST(ExtractQuotedValueTest, BackslashEscapesNothing) {
  std::string value;
  EXPECT_TRUE(extractQuotedValue(value, "a\\\"b\""));
  EXPECT_EQ(value, "a\\");
  EXPECT_TRUE(extractQuotedValue(value, "\\\\n\""));
  EXPECT_EQ(value, "\\\\n");
  EXPECT_FALSE(extractQuotedValue(value, "tail\\"));
  EXPECT_EQ(value, "tail\\");
}

TEST(LeadingIntegerTest, ReadsLikeAtoi) {
  EXPECT_EQ(leadingInteger("0"), 0);
  EXPECT_EQ(leadingInteger("42x"), 42);
  EXPECT_EQ(leadingInteger(" \t\n\v\f\r7"), 7);
  EXPECT_EQ(leadingInteger("+5"), 5);
  EXPECT_EQ(leadingInteger("-5"), -5);
  EXPECT_EQ(leadingInteger("007"), 7);
  EXPECT_EQ(leadingInteger(""), 0);
  EXPECT_EQ(leadingInteger("off"), 0);
  EXPECT_EQ(leadingInteger("+-1"), 0);
  EXPECT_EQ(leadingInteger("- 1"), 0);
  EXPECT_EQ(leadingInteger("1 2"), 1);
}

TEST(LeadingIntegerTest, OverflowIsHeldAtTheEndsAndNeverBecomesZero) {
  EXPECT_EQ(leadingInteger("2147483647"), INT_MAX);
  EXPECT_EQ(leadingInteger("2147483648"), INT_MAX);
  EXPECT_EQ(leadingInteger("4294967296"), INT_MAX);  // 2^32: wraps to 0 when computed naively
  EXPECT_EQ(leadingInteger("18446744073709551616"), INT_MAX);
  EXPECT_EQ(leadingInteger("99999999999999999999999999999999"), INT_MAX);
  EXPECT_EQ(leadingInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(leadingInteger("-4294967296"), INT_MIN);
  EXPECT_EQ(leadingInteger("-99999999999999999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace quenwick
