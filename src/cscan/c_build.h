// What a build tells the C scan about one file beyond its -D and -U: the
// compiler's predefined macros, where `#include` looks, the files included before
// the first line, and the caches that the scans of a run share. With it the scan
// follows `#include` for the directives of the headers (#define, #undef and the
// conditionals around them), and a symbol that nothing defines is undefined, as it
// is for the compiler, until a header cannot be found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cscan/c_expression.h"
#include "cscan/c_macros.h"
#include "platform/lock.h"
#include "tree/file_facts.h"

namespace quenwick {

/// One folder that `#include` searches.
struct SearchFolder {
  std::string path;     // absolute, in normal form, without a trailing "/"
  bool system = false;  // -isystem, -idirafter or the compiler's own: its headers are no project's
};

/// One directive of a header, made ready when the header is first read.
struct HeaderLine {
  /// What the directive is.
  enum Kind : std::uint8_t {
    Define, Undef, If, Ifdef, Ifndef, Elif, Elifdef, Elifndef, Else, Endif, Include, IncludeNext,
  };
  Kind kind = Define;                // what it is
  SourcePlace place;                 // where its "#" is
  std::string name;                  // Define, Undef, Ifdef, Ifndef, Elifdef, Elifndef: the symbol
  MacroState macro;                  // Define: the state it gives the symbol
  std::vector<PpToken> tokens;       // If, Elif: the condition; Include: the tokens after the word
  std::string header;                // Include: the name with its "" or <>, when written so
  std::uint32_t next = 0;            // If...Elif, Else: the next #elif, #else or #endif of its level
};

/// A header as the scans of a run read it.
struct HeaderText {
  std::string path;               // absolute, in normal form
  std::string bytes;              // the file as stored, for its scan as a file
  std::vector<HeaderLine> lines;  // its directives, in order
  std::string guard;              // the symbol of an include guard around all of them, if any
  bool pragmaOnce = false;        // it holds "#pragma once"
};

/// Makes a header's text ready: its directives read and their conditionals linked.
std::shared_ptr<const HeaderText> readHeaderText(std::string path, std::string bytes);

/// The headers of a run, each read once, shared by every scan and thread. A
/// long-running process forgets a header that changed and scans again the files
/// whose facts list it in `FileFacts::headers`.
class HeaderCache {
 public:
  /// The header at `path` (absolute, normal form), read at its first request; null
  /// when it cannot be read or holds NUL bytes.
  std::shared_ptr<const HeaderText> get(const std::string& path);
  /// True when `path` names a regular file (asked once, then remembered).
  bool exists(const std::string& path);
  /// Forgets what was read of `path`, so that the next request reads it again.
  void forget(const std::string& path);
  /// Forgets everything.
  void clear();

 private:
  Lock lock_;  // guards the maps
  std::unordered_map<std::string, std::shared_ptr<const HeaderText>> texts_;  // by path; null: unreadable
  std::unordered_map<std::string, bool> exists_;  // by path: a regular file
};

/// The settings of a build that files compiled alike share.
struct CBuild {
  std::string compiler;                       // the compiler as the entry names it
  std::shared_ptr<const MacroTable> predefined;  // the compiler's predefined macros
  std::vector<std::string> quoteFolders;      // -iquote: searched for "x.h" after the includer's folder
  std::vector<SearchFolder> folders;          // -I, -isystem, the compiler's own, -idirafter, in order
  std::vector<std::string> forcedIncludes;    // -include and -imacros, absolute
  std::shared_ptr<HeaderCache> headers;       // the headers read so far (never null)
};

/// A header scanned as a file of its own in the configuration of a file that
/// includes it.
struct ReachedHeader {
  std::string path;        // absolute, in normal form
  std::size_t rank = 0;    // the rank of the including file
  std::string includer;    // that file, as its facts name it
  FileFacts facts;         // the header's facts
};

/// The headers that listed files reach, each scanned once as a file: the file of
/// the lowest rank that includes one scans it with its symbols at the `#include`.
/// Safe for the threads of one run.
class ReachedHeaders {
 public:
  /// The folder that the shown names of headers are relative to, when below it.
  explicit ReachedHeaders(std::string base) : base_(std::move(base)) {}

  /// Leaves `path` (absolute, normal form) out: it is scanned as a given file.
  void exclude(const std::string& path);
  /// True when the file of rank `rank` is to scan `path` now: no file of a lower
  /// rank claimed it before. The claim is made.
  bool claim(const std::string& path, std::size_t rank);
  /// Keeps the scan of `path` made by the file of rank `rank`, unless a file of a
  /// lower rank has claimed it since.
  void store(const std::string& path, std::size_t rank, std::string includer, FileFacts facts);
  /// The scan kept for `path`, or null.
  const ReachedHeader* find(const std::string& path) const;
  /// How a header is named in the facts: relative to the base when below it.
  std::string shown(const std::string& path) const;

 private:
  mutable Lock lock_;  // guards the map
  std::string base_;   // the current folder of the run
  std::unordered_map<std::string, ReachedHeader> headers_;  // by path; rank SIZE_MAX: left out
};

}  // namespace quenwick
