// The program's arguments as it sees them: on Windows taken from the raw command line
// by the rules of the platform's C runtime, on Linux from argv; wildcards expanded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenwick {

/// One argument of a Windows command line.
struct CommandLineWord {
  std::wstring text;    // the argument with its quotes and escapes resolved
  bool quoted = false;  // a double quote opened or closed a quoted part of it
};

/// Splits a Windows command line into its words, the program's name first, by the
/// rules of the platform's C runtime. The name runs to the first blank (space or
/// tab) outside double quotes, its quotes dropped. Every later word runs to the next
/// blank outside double quotes; a double quote opens or closes a quoted part; 2n
/// backslashes before a double quote stand for n backslashes and the quote still
/// opens or closes, 2n + 1 for n backslashes and a plain double quote; inside a
/// quoted part two double quotes stand for one and the part goes on; any other
/// backslash is itself.
std::vector<CommandLineWord> splitCommandLine(std::wstring_view line);

/// The arguments the program was started with: `argv[0]` as given, the next
/// `literal` ones as given too, then every other argument with its wildcards
/// expanded (see `expandWildcards`). On Windows the
/// others come from the raw command line (`splitCommandLine`), turned into bytes of
/// the ANSI code page: an argument that was quoted, in whole or in part, stays as it
/// is, and so does one that the code page cannot hold (its "?" would stand for a
/// lost character). On Linux they are `argv` itself.
std::vector<std::string> programArguments(int argc, char** argv, std::size_t literal = 0);

}  // namespace quenwick
