// The compiler of a compile command, asked for what it defines before it reads a
// file: only when the user allows the program, only with `-dM -E -x c` on an empty
// input and the command's target flags, and once per compiler and flags. Where it
// may not or cannot be asked, GCC's built-in set stands in for it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cscan/c_build.h"
#include "cscan/c_macros.h"

namespace quenwick {

/// The patterns of the compilers that may be run when none are given:
/// /usr/bin/gcc*, /usr/bin/cc, /usr/bin/clang* and /usr/bin/*-gcc*.
std::vector<std::string> defaultQueryDrivers();

/// Splits a --query-driver value at its commas; empty patterns are left out.
std::vector<std::string> splitQueryDrivers(std::string_view value);

/// What a compiler was found to define, and where it looks for headers.
struct CompilerSetup {
  /// How the predefined macros were had.
  enum Source : std::uint8_t {
    Asked,       // the compiler said them
    NotAllowed,  // the compiler's path matches no allowed pattern: the built-in set
    Failed,      // it could not be run, or it failed: the built-in set
    NotFound,    // no such program: the built-in set
  };
  Source source = Asked;                        // how the macros were had
  std::string path;                             // the program's absolute path (empty when not found)
  std::shared_ptr<const MacroTable> predefined;  // the macros, never null
  std::vector<std::string> folders;             // the compiler's own header folders, searched last
};

/// The built-in set, GCC 12 for C on x86-64 Linux (see c_predefined.h), with the
/// names every GCC knows without listing them (__has_include, __FILE__...).
std::shared_ptr<const MacroTable> builtInPredefined();

/// The header folders that a compiler whose predefined macros are `macros`
/// searches after the -I and -isystem ones, as far as the file system shows them:
/// for GCC /usr/lib/gcc/TRIPLE/MAJOR/include, /usr/local/include,
/// /usr/lib/gcc/TRIPLE/MAJOR/include-fixed, /usr/include/TRIPLE and /usr/include;
/// for clang its resource folder instead of GCC's. `program` is its path (empty:
/// the host's GCC).
std::vector<std::string> compilerFolders(const std::string& program, const MacroTable& macros);

/// The compilers of one run, each asked at most once per distinct target flags.
class CompilerCache {
 public:
  /// A cache that runs only programs whose path matches one of `allowed`.
  explicit CompilerCache(std::vector<std::string> allowed) : allowed_(std::move(allowed)) {}

  /// What the compiler named `name` in a command run in `directory` defines with
  /// `targetFlags`; `noPredefined` (-undef) keeps only the standard's own names.
  const CompilerSetup& setup(const std::string& name, const std::string& directory,
                             const std::vector<std::string>& targetFlags, bool noPredefined);

  /// One compiler and flags that `setup` will be asked for.
  struct Request {
    std::string name;                      // as the command names it
    std::string directory;                 // where the command runs
    std::vector<std::string> targetFlags;  // the flags that choose the target
    bool noPredefined = false;             // -undef
  };
  /// Asks the distinct compilers and flags of `requests` not asked yet, at once
  /// (each answer takes a compiler's start-up), for `setup` to give.
  void askAll(const std::vector<Request>& requests);

 private:
  using Key = std::pair<std::string, std::vector<std::string>>;  // path or name, and flags
  // The cache's place for `name`'s setup with the flags; `isNew` when not asked before.
  CompilerSetup& slot(const std::string& name, const std::string& directory,
                      const std::vector<std::string>& targetFlags, bool noPredefined, bool& isNew);
  // Fills `setup` (its path set) by asking the compiler when it may run.
  void ask(CompilerSetup& setup, const std::vector<std::string>& targetFlags, bool noPredefined) const;

  std::vector<std::string> allowed_;  // patterns of the programs that may run
  std::map<Key, CompilerSetup> asked_;  // by path or name, and flags
  std::map<std::pair<std::string, std::string>, std::string> programs_;  // paths found, by name and folder
};

/// Reads the output of `-dM -E`: one "#define NAME VALUE" line each.
void readPredefinedText(std::string_view text, MacroTable& macros);

}  // namespace quenwick
