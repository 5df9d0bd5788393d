// The C scan: one source file's bytes in, its definitions, call sites and
// problems out. It reads C as C: comments, literals and line splices, directives
// with their conditions evaluated, function-like macros as definitions of their
// own, and calls through pointers kept apart from direct calls.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tree/file_facts.h"

namespace quenwick {

struct SymbolWatch;

struct CBuild;
class ReachedHeaders;

/// One -D or -U of the command line.
struct SymbolSetting {
  std::string name;                  // the symbol
  std::optional<std::string> value;  // -DNAME=VALUE: VALUE; -DNAME: none (it stands for 1)
  bool define = true;                // false for -U

  bool operator==(const SymbolSetting& other) const = default;
};

/// What a file's scan depends on besides its bytes.
struct CScanConfig {
  std::vector<SymbolSetting> symbols;  // -D and -U, in command-line order
  bool captions = true;                // capture captions from comments
  std::string captionKeyword;          // the caption keyword (empty: every comment line)
  // A file of a build (c_build.h): `#include` is followed for its directives, and
  // what nothing defines is undefined.
  std::shared_ptr<const CBuild> build;  // the build's settings; none: the scan is unconfigured
  ReachedHeaders* reached = nullptr;    // where the headers it reaches are scanned as files; none: they are not
  std::size_t rank = 0;                 // its place among the files of the run, for `reached`
  std::size_t variant = 0;              // its place among the configurations its file is compiled in
  // With a build, a name that its object-like macros make another name is that
  // name, as the compiler has it (a graph of the build); else names are as
  // written (an editor, whose words they are).
  bool compiledNames = false;
  // Places follow `#line`, as the compiler's do, and a definition it places in
  // another file that exists is that file's (a graph); else places are the
  // text's own lines (an editor).
  bool presumedLines = false;
  // With a build, the scan may start from the first steps (symbols, then headers)
  // that another file's scan took and shared; false: it reads every header
  // itself, so that every lookup its result depends on is its own.
  bool sharedSteps = true;
};

/// Scans `bytes` as the source file `path`. Never fails: what cannot be understood
/// is listed in the facts' problems.
FileFacts scanCSource(const std::string& path, std::string_view bytes, const CScanConfig& config);

/// The largest file the C scan reads: the largest C sources are tens of MB, and a
/// device such as /dev/zero never ends.
inline constexpr std::size_t kMaxCSourceSize = std::size_t{256} << 20;

/// Reads the file `path` and scans it; the facts say when it could not be read, is
/// over `kMaxCSourceSize` or is no text.
FileFacts scanCFile(const std::string& path, const CScanConfig& config);

/// Scans the file `path` as `scanCFile` does, noting in `watch->read` (if `watch`
/// is not null) which of `watch->names` the scan looked up, itself or in what it
/// read. Its result depends on no other state of those names: for that,
/// `config.sharedSteps` is false.
FileFacts scanCFileWatching(const std::string& path, const CScanConfig& config, SymbolWatch* watch);

}  // namespace quenwick
