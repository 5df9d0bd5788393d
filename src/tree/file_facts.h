// What the C scan learns of one source file: its definitions, the call sites of
// each, and what it could not understand. It depends only on the file's bytes and
// the symbols the scan was given, so a long-running process can scan one file
// again and replace its facts without touching any other file's.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quenwick {

/// A place in a source file: a 1-based line and a 1-based byte column.
struct SourcePlace {
  std::uint32_t line = 0;    // 1 for the first line
  std::uint32_t column = 0;  // 1 for the first byte of the line

  friend bool operator==(const SourcePlace&, const SourcePlace&) = default;
};

/// What a definition defines.
enum class DefinitionKind : std::uint8_t {
  Function,  // a function with a body
  Macro,     // a function-like macro (or a macro that names another function)
};

/// One place where a body calls a name.
struct CallSite {
  std::uint32_t name = 0;  // the callee: an index into `FileFacts::names`
  SourcePlace place;       // where the callee's name starts
  bool indirect = false;   // through a pointer or a member: `name` is the member or variable
  bool conditional = false;  // in a branch that a build defining nothing unknown leaves out
  bool macro = false;        // with a build: a function-like macro of the name was defined there
};

/// One function or macro defined in the file. A name defined in several branches
/// of a conditional is one definition with several places.
struct FileDefinition {
  std::string name;                     // the defined name
  SourcePlace place;                    // where the name stands (the first place found)
  SourcePlace start;                    // the first byte of the definition's head ("#" of a macro)
  SourcePlace end;                      // the closing brace, or the last byte of a macro's line
  std::vector<SourcePlace> morePlaces;  // the name in other branches, in source order
  DefinitionKind kind = DefinitionKind::Function;  // function or macro
  bool isStatic = false;                // declared static
  std::optional<std::string> caption;   // the caption from the comments before it; none when off
  std::uint32_t callsBegin = 0;         // its first call site in `FileFacts::calls`
  std::uint32_t callsCount = 0;         // its call sites, in source order
  std::string presumedFile;             // a graph's: the file a #line places it in, as files are named (empty: this one)
};

/// Something the scan could not make sense of, with its place.
struct ScanProblem {
  /// What went wrong.
  enum Kind : std::uint8_t {
    Undecided,          // a conditional that could not be decided (every branch was scanned)
    UnclosedBrace,      // a "{" still open at the end of the file
    ExcessBrace,        // a "}" with no "{" open
    UnclosedCondition,  // an #if still open at the end of the file
    ExcessCondition,    // an #elif, #else or #endif with no #if open
    UnclosedComment,    // a comment that runs to the end of the file
    UnclosedLiteral,    // a string or character literal that runs to the end of its line
    TooDeep,            // nesting deeper than the scan follows
    Skipped,            // a directive passed over (include, pragma, error, unknown...)
    HeaderMissing,      // a file of a build: a header that is not found (the detail names it)
  };
  Kind kind = Undecided;  // what it is
  SourcePlace place;      // where it is
  std::string detail;     // a few words: the directive's name, the condition's text
};

/// How a file's bytes were read.
enum class SourceEncoding : std::uint8_t {
  Utf8,   // valid UTF-8 (plain ASCII included)
  Cp932,  // anything else: code page 932, whose double-byte characters are kept whole
};

/// Everything the C scan found in one file.
struct FileFacts {
  std::string path;                          // the file as it was named
  bool read = false;                         // false when the file could not be read
  bool tooLarge = false;                     // not read: larger than any C source may be
  bool isText = true;                        // false when it holds NUL bytes: it was not scanned
  SourceEncoding encoding = SourceEncoding::Utf8;  // how its bytes were read
  std::vector<std::string> names;            // every callee name of `calls`, each once
  std::vector<FileDefinition> definitions;   // in source order of their first place
  std::vector<CallSite> calls;               // the call sites of all definitions, definition by definition
  std::vector<ScanProblem> problems;         // in source order
  std::vector<std::string> includedSources;  // "x.c" files it includes, as written (its own statics then reach them)
  std::uint32_t lines = 0;                   // the number of lines
  // A file of a build, whose #include lines are followed: what its scan read, so
  // that a long-running process scans it again when one of them changes.
  std::vector<std::string> headers;          // the headers read, absolute, in the order first met
  std::vector<std::string> missingHeaders;   // the headers not found, as written ("x.h", <x.h>), each once

  /// True when the braces and the conditionals balanced and every comment and
  /// literal was closed.
  bool balanced() const;
  /// The number of conditionals left undecided.
  std::size_t undecidedCount() const;
};

/// Adds to `into` what `variant`, the same file scanned in another configuration,
/// defines and `into` does not (by name and kind), with its calls, keeping the
/// source order; and the headers it read or missed besides. The rest (problems,
/// lines) stays `into`'s.
void addVariantDefinitions(FileFacts& into, const FileFacts& variant);

/// Removes from `facts` the definitions that `defined` names (by name and kind),
/// with their calls.
void dropDefinitions(FileFacts& facts, const std::set<std::pair<std::string, DefinitionKind>>& defined);

/// True when a `static` definition in the file `path` is seen by other files: the
/// file is no ".c" file (a header, or a file made to be included).
bool sharesStatics(const std::string& path);

}  // namespace quenwick
