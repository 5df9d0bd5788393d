#include "platform/command_line.h"

#include <cstddef>
#include <utility>

#include "platform/wildcard.h"
#include "platform/windows_api.h"

namespace quenwick {

namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// The program's name, from `at` (the start of the line) up to a blank outside quotes.
std::wstring readProgramName(std::wstring_view line, std::size_t& at) {
  std::wstring name;
  bool inQuotes = false;
  for (; at < line.size() && (inQuotes || !isBlank(line[at])); ++at) {
    if (line[at] == L'"') {
      inQuotes = !inQuotes;
    } else {
      name.push_back(line[at]);
    }
  }
  return name;
}

// One word from `at`, its first byte, up to a blank outside quotes.
CommandLineWord readWord(std::wstring_view line, std::size_t& at) {
  CommandLineWord word;
  bool inQuotes = false;
  while (at < line.size() && (inQuotes || !isBlank(line[at]))) {
    wchar_t c = line[at];
    if (c == L'\\') {
      std::size_t end = at;
      while (end < line.size() && line[end] == L'\\') ++end;
      std::size_t run = end - at;
      bool quoteFollows = at + run < line.size() && line[at + run] == L'"';
      word.text.append(quoteFollows ? run / 2 : run, L'\\');
      at += run;
      if (quoteFollows && run % 2 == 1) {
        word.text.push_back(L'"');
        ++at;
      }
    } else if (c == L'"') {
      word.quoted = true;
      if (inQuotes && at + 1 < line.size() && line[at + 1] == L'"') {
        word.text.push_back(L'"');
        at += 2;
      } else {
        inQuotes = !inQuotes;
        ++at;
      }
    } else {
      word.text.push_back(c);
      ++at;
    }
  }
  return word;
}

#ifdef _WIN32
// `text` as bytes of the ANSI code page, the code page of every other text the
// program handles (file names, the C runtime's argv). `lossy` tells whether a
// character had no byte sequence there.
std::string toAnsiCodePage(const std::wstring& text, bool& lossy) {
  lossy = false;
  if (text.empty()) return std::string();
  // The "lost character" flag is refused for UTF-8, which holds every character.
  bool utf8 = ::GetACP() == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  int size = static_cast<int>(text.size());
  int bytes =
      ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, usedDefaultOut);
  std::string result(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, result.data(), bytes, nullptr,
                          usedDefaultOut);
  }
  lossy = bytes <= 0 || usedDefault;
  return result;
}

// Appends the arguments after the program's name, from the raw command line. The
// UTF-16 line is split rather than the ANSI one: there the second byte of a code page
// 932 character can be 0x5C, a backslash, which would escape a following quote.
void appendWindowsArguments(std::vector<std::string>& args, std::size_t literal) {
  std::vector<CommandLineWord> words = splitCommandLine(::GetCommandLineW());
  for (std::size_t i = 1; i < words.size(); ++i) {
    bool lossy = false;
    std::string argument = toAnsiCodePage(words[i].text, lossy);
    if (i <= literal || words[i].quoted || lossy) {
      args.push_back(std::move(argument));
    } else {
      appendExpansion(argument, args);
    }
  }
}
#endif

}  // namespace

std::vector<CommandLineWord> splitCommandLine(std::wstring_view line) {
  std::vector<CommandLineWord> words;
  std::size_t at = 0;
  words.push_back({readProgramName(line, at), false});
  for (;;) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at == line.size()) break;
    words.push_back(readWord(line, at));
  }
  return words;
}

std::vector<std::string> programArguments(int argc, char** argv, std::size_t literal) {
  std::vector<std::string> args;
  if (argc > 0) args.emplace_back(argv[0]);
#ifdef _WIN32
  appendWindowsArguments(args, literal);
#else
  for (int i = 1; i < argc; ++i) {
    if (static_cast<std::size_t>(i) <= literal) {
      args.emplace_back(argv[i]);
    } else {
      appendExpansion(argv[i], args);
    }
  }
#endif
  return args;
}

}  // namespace quenwick

#ifdef _WIN32
// Switches off the C runtime's own wildcard expansion of argv: the program expands
// the raw command line itself, where quoted arguments can be told from others.
extern "C" {
int _dowildcard = 0;
}
#endif
