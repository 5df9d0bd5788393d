#include "config/template_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "printf_reference.h"

namespace quenwick {
namespace {

using namespace std::string_view_literals;

/// Formats `format` with `args` both ways; counts and keeps the first few differences.
class PrintfComparison {
 public:
  template <typename... Args>
  void check(const std::string& format, Args... args) {
    const Template parsed(format);
    const std::string expected = printfOf(format, args...);
    const std::string actual = parsed.toString({TemplateArg(args)...});
    const std::size_t measured = parsed.measure({TemplateArg(args)...});
    ++checked_;
    if (actual == expected && measured == expected.size()) return;
    if (differences_.size() < 10) {
      differences_.push_back("\"" + format + "\": \"" + actual + "\" vs \"" + expected + "\"");
    }
  }
  ~PrintfComparison() {
    EXPECT_GT(checked_, 0u);
    for (const std::string& difference : differences_) ADD_FAILURE() << difference;
  }

 private:
  std::size_t checked_ = 0;
  std::vector<std::string> differences_;
};

const std::vector<std::string> kFlagSets = {"",   "-",  "+",  " ",  "#",     "0",    "-0", "+ ",
                                            " +", "#0", "-#", "+0", "-+ #0", "00--", "0#+"};

TEST(TemplateFormat, ConversionsMatchPrintf) {
  PrintfComparison comparison;
  for (const std::string& flags : kFlagSets) {
    for (const char* width : {"", "0", "1", "6", "13"}) {
      for (const char* precision : {"", ".", ".0", ".1", ".4", ".12"}) {
        const std::string head = "<%" + flags + width + precision;
        for (const char* conversion : {"d", "i", "u", "x", "X", "o"}) {
          for (int value : {0, 1, -1, 7, -42, 255, 4096, 1000000, INT_MAX, INT_MIN}) {
            comparison.check(head + conversion + ">", value);
          }
        }
        for (const char* text : {"", "a", "main", "function_name"}) {
          comparison.check(head + "s>", text);
        }
        for (int c : {int{'a'}, 0x81, 300, -1}) comparison.check(head + "c>", c);
      }
    }
  }
  comparison.check("%-*s|% 5d |<%d>|%s()", 12, "file.c", 7, 3, "main");
}

TEST(TemplateFormat, StarWidthAndPrecisionMatchPrintf) {
  PrintfComparison comparison;
  for (const std::string& flags : kFlagSets) {
    for (int star : {-9, -1, 0, 2, 8}) {
      for (const char* conversion : {"d", "x", "o"}) {
        comparison.check("[%" + flags + "*" + conversion + "]", star, -37);
        comparison.check("[%" + flags + ".*" + conversion + "]", star, 0);
        comparison.check("[%" + flags + "*.*" + conversion + "]", 7, star, 37);
      }
      comparison.check("[%" + flags + "*s]", star, "text");
      comparison.check("[%" + flags + ".*s]", star, "text");
      comparison.check("[%" + flags + "*c]", star, 'q');
      comparison.check("[%" + flags + "*.*s|%s]", star, star, "text", "more");
    }
  }
  comparison.check("%.*s", INT_MIN, "precision taken as none");
}

TEST(TemplateFormat, PercentSignsWriteOnePercent) {
  // As with C's printf, anything between the two signs is ignored; a "*" takes its int.
  EXPECT_EQ(Template("%%|100%%|%5%|%-%|%05.3%|%l%|%%%%d").toString({}), "%|100%|%|%|%|%|%%d");
  EXPECT_EQ(Template("%*%%d|%.*%%d").toString({5, 6, INT_MIN, 7}), "%6|%7");
}

TEST(TemplateFormat, LengthModifiersAreIgnored) {
  EXPECT_EQ(Template("%ld|%lld|%hhx|%hu|%jd|%zd|%td|%Lo|%qd|%ls|%lc")
                .toString({-5, -5, 300, 70000, 1, 2, 3, 8, 4, "s"sv, 'c'}),
            "-5|-5|12c|70000|1|2|3|10|4|s|c");
}

TEST(TemplateFormat, ConversionsThatDoNotFitAreWrittenAsText) {
  EXPECT_EQ(Template("%d()").toString({"main"sv}), "%d()");
  EXPECT_EQ(Template("%d(%s)").toString({"main"sv}), "%d(main)");
  EXPECT_EQ(Template("%s%s%n").toString({"a"sv}), "a%s%n");
  EXPECT_EQ(Template("%*s|%s").toString({"x"sv}), "%*s|x");
  EXPECT_EQ(Template("%-*.*s|%*%|%*s").toString({4, "x"sv}), "%-*.*s|%|%*s");
  EXPECT_EQ(Template("%s|%*s|%*%").toString({"x"sv}), "x|%*s|%*%");
  EXPECT_EQ(Template("%*d|%.*s|%s|%d").toString({"x"sv, "y"sv, 5}), "%*d|%.*s|x|%d");
  EXPECT_EQ(Template("%s %c %x").toString({}), "%s %c %x");
  EXPECT_EQ(Template("%d %d").toString({1, 2, 3}), "1 2");
  // The width INT_MIN cannot be negated as an int; the conversion keeps its arguments.
  EXPECT_EQ(Template("%*d|%d").toString({INT_MIN, 5}), "%*d|-2147483648");
  EXPECT_EQ(Template("%*s").measure({INT_MIN, "x"sv}), 3u);
  // Numbers beyond INT_MAX in the template itself.
  EXPECT_EQ(Template("%2147483648d|%d").toString({3}), "%2147483648d|3");
  EXPECT_EQ(Template("%.99999999999999999999s%4294967301%").toString({"x"sv}),
            "%.99999999999999999999s%4294967301%");
}

TEST(TemplateFormat, UnknownAndCutOffConversionsAreWrittenAsText) {
  EXPECT_EQ(Template("%n%p%f%y|%-5y%'d%hhhd|%d").toString({4}), "%n%p%f%y|%-5y%'d%hhhd|4");
  EXPECT_EQ(Template("50%").toString({1}), "50%");
  EXPECT_EQ(Template("%d%-5").toString({1}), "1%-5");
  EXPECT_EQ(Template("%.*").toString({1}), "%.*");
  const std::string bytes("a\0%\0b\x81%", 7);
  EXPECT_EQ(Template(bytes).toString({1}), bytes);
}

/// Counts calls so that padding is seen to stay unbuilt.
class RecordingSink : public FormatSink {
 public:
  void write(std::string_view bytes) override { written += bytes; }
  void pad(char c, std::size_t count) override {
    pads.push_back(std::string(1, c) + std::to_string(count));
  }
  std::string written;
  std::vector<std::string> pads;
};

TEST(TemplateFormat, HugeWidthsArePaddedWithoutBuilding) {
  EXPECT_EQ(Template("%999999999d").measure({5}), 999999999u);
  EXPECT_EQ(Template("%*s|%2147483647d").measure({INT_MAX, "ab"sv, 1}), 2u * INT_MAX + 1);
  EXPECT_EQ(Template("%-*d").measure({-INT_MAX, 1}), std::size_t{INT_MAX});
  EXPECT_EQ(Template("%.*x").measure({INT_MAX, 1}), std::size_t{INT_MAX});

  RecordingSink sink;
  Template("%+0*d|%-#.*o").format({-2000000000, 12, 2000000000, 8}, sink);
  EXPECT_EQ(sink.written, "+12|10");
  EXPECT_EQ(sink.pads, (std::vector<std::string>{" 1999999997", "01999999998"}));
}

TEST(TemplateFormat, CopiesAndMovesKeepTheirText) {
  auto original = std::make_unique<Template>(std::string("[%5d] %s%n"));
  const Template copy = *original;
  const Template moved = std::move(*original);
  original.reset();
  EXPECT_EQ(copy.toString({42, "x"sv}), "[   42] x%n");
  EXPECT_EQ(moved.toString({"x"sv}), "[%5d] x%n");
}

}  // namespace
}  // namespace quenwick
