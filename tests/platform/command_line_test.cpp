#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

struct Word {
  std::wstring text;
  bool quoted;
  bool operator==(const Word& other) const = default;
};

std::vector<Word> split(std::wstring_view line) {
  std::vector<Word> words;
  for (const CommandLineWord& word : splitCommandLine(line)) {
    words.push_back({word.text, word.quoted});
  }
  return words;
}

// For failure messages: each word in brackets, "q" after a quoted one.
std::string describe(const std::vector<Word>& words) {
  std::string text;
  for (const Word& word : words) {
    text += "[";
    for (wchar_t c : word.text) text += c < 128 ? static_cast<char>(c) : '#';
    text += word.quoted ? "]q " : "] ";
  }
  return text;
}

TEST(CommandLineTest, BlanksQuotesAndBackslashes) {
  struct Case {
    const wchar_t* line;
    std::vector<Word> words;  // after the program's name
  };
  const Case cases[] = {
      {L"q a b", {{L"a", false}, {L"b", false}}},
      {L"q  \t a\t\tb  ", {{L"a", false}, {L"b", false}}},
      {L"q", {}},
      {L"q ", {}},
      // A quoted part keeps blanks and marks the word, wherever it stands in it.
      {L"q \"a b\" c", {{L"a b", true}, {L"c", false}}},
      {L"q a\"b c\"d", {{L"ab cd", true}}},
      {L"q \"*.c\" *.c", {{L"*.c", true}, {L"*.c", false}}},
      {L"q \"b\"*.c", {{L"b*.c", true}}},
      {L"q \"\" x", {{L"", true}, {L"x", false}}},
      {L"q \"open to the end", {{L"open to the end", true}}},
      // Inside a quoted part two quotes stand for one, and the part goes on.
      {L"q \"a\"\"b c\"", {{L"a\"b c", true}}},
      // Backslashes are themselves unless a quote follows them.
      {L"q a\\\\b \\\\server\\share\\*.c",
       {{L"a\\\\b", false}, {L"\\\\server\\share\\*.c", false}}},
      {L"q a\\", {{L"a\\", false}}},
      // Before a quote: 2n backslashes are n and the quote opens or closes a part,
      // 2n + 1 are n and a plain quote, which does not mark the word as quoted.
      {L"q a\\\"b", {{L"a\"b", false}}},
      {L"q a\\\\\\\"b", {{L"a\\\"b", false}}},
      {L"q a\\\\\"b c\"", {{L"a\\b c", true}}},
      {L"q \"dir\\\\\" x", {{L"dir\\", true}, {L"x", false}}},
      {L"q \"a\\\"b\"", {{L"a\"b", true}}},
      // Characters beyond ASCII pass unchanged.
      {L"q \u8868\u5c0f.c \"\u8868 \u5c0f\"",
       {{L"\u8868\u5c0f.c", false}, {L"\u8868 \u5c0f", true}}},
  };
  for (const Case& c : cases) {
    std::vector<Word> want = c.words;
    want.insert(want.begin(), Word{L"q", false});
    std::vector<Word> got = split(c.line);
    EXPECT_EQ(got, want) << describe(got) << " for " << describe({{c.line, false}});
  }
}

TEST(CommandLineTest, ProgramNameTakesQuotesWithoutEscapes) {
  // The name's quotes only group: backslashes stay, even before a quote.
  EXPECT_EQ(split(L"\"C:\\Program Files\\q.exe\" x"),
            (std::vector<Word>{{L"C:\\Program Files\\q.exe", false}, {L"x", false}}));
  EXPECT_EQ(split(L"\"a b\"c\\\" d"), (std::vector<Word>{{L"a bc\\ d", false}}));
  EXPECT_EQ(split(L"C:\\tools\\q.exe\t*.c"),
            (std::vector<Word>{{L"C:\\tools\\q.exe", false}, {L"*.c", false}}));
  EXPECT_EQ(split(L""), (std::vector<Word>{{L"", false}}));
}

}  // namespace
}  // namespace quenwick
