// A compile command read as the build runs it: `command` strings split into words
// with the shell's quoting rules, and the words a compiler reads that change how
// a file is preprocessed picked out in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cscan/c_scan.h"

namespace quenwick {

/// Splits `command` into words as a POSIX shell does, without expanding anything:
/// blanks (space, tab, line end) separate words; '...' keeps every byte; "..."
/// keeps every byte but a backslash before $ ` " \ or a line end, which quotes it;
/// a backslash outside quotes keeps the next byte (a line end after it vanishes).
/// False, with `error` saying why, when a quote is not closed or the command ends in
/// a lone backslash.
bool splitShellWords(std::string_view command, std::vector<std::string>& words, std::string& error);

/// What a compile command says about the preprocessing of its file.
struct CompileFlags {
  std::string compiler;                     // the first word, as written
  std::vector<SymbolSetting> symbols;       // -D and -U, in order
  std::vector<std::string> quoteDirs;       // -iquote, for "x.h" only
  std::vector<std::string> includeDirs;     // -I, in order
  std::vector<std::string> systemDirs;      // -isystem, after -I
  std::vector<std::string> afterDirs;       // -idirafter, after the compiler's own folders
  std::vector<std::string> forcedIncludes;  // -include and -imacros, in order, as written
  std::vector<std::string> targetFlags;     // -std=, --target=, -m... (and with -mcmodel= -fpic...)
  bool noStandardFolders = false;           // -nostdinc: the compiler's own folders are not searched
  bool noPredefined = false;                // -undef: no predefined macro but the standard's
};

/// Reads the words of a compile command (the compiler first). Relative folders
/// are made absolute against `directory` (absolute itself).
CompileFlags readCompileFlags(const std::vector<std::string>& words, const std::string& directory);

}  // namespace quenwick
