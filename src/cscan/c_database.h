// A compilation database (compile_commands.json, as CMake, Meson, Bear and the
// kernel's scripts write it) read into one scan configuration per file: the
// entry's -D, -U, search folders, -include files and the compiler's predefined
// macros. quenwick-graph reads it for --compile-commands; a long-running process
// such as a language server reads it the same way:
//
//   CompilationDatabase database;
//   DatabaseError error;
//   if (!database.load("build", DatabaseOptions{}, error)) report(error);
//   for (const DatabaseNotice& notice : database.notices()) tell(notice);
//   if (const DatabaseEntry* entry = database.find(absolutePath)) {
//     CScanConfig config = *entry->config;   // captions and -D of its own may be added
//     FileFacts facts = scanCSource(entry->shown, bytes, config);
//     // facts.headers: the headers whose directives the scan read; when one of them
//     // changes, call database.headers()->forget(path) and scan the file again.
//   }
//
// The configurations share one header cache and are safe to scan with on any
// number of threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cscan/c_build.h"
#include "cscan/c_command_line.h"
#include "cscan/c_compiler.h"
#include "platform/file_path.h"
#include "cscan/c_scan.h"

namespace quenwick {

/// The largest database read.
inline constexpr std::size_t kMaxDatabaseSize = std::size_t{512} << 20;

/// How a database is read.
struct DatabaseOptions {
  std::vector<std::string> queryDrivers = defaultQueryDrivers();  // patterns of the compilers that may run
};

/// Why a database could not be read.
struct DatabaseError {
  /// What is wrong.
  enum Kind : std::uint8_t {
    Unreadable,     // no such file (or a folder without compile_commands.json)
    NotJson,        // the text is not valid JSON
    NotList,        // the document is not an array
    NotObject,      // an entry is not an object
    NoFile,         // an entry has no "file"
    BadField,       // a field has the wrong type (`detail` names it)
    NoCommand,      // an entry has neither "arguments" nor "command"
    BadCommand,     // a "command" that cannot be split (`detail` says why)
  };
  Kind kind = Unreadable;    // what is wrong
  std::string file;          // the database file
  std::uint32_t line = 0;    // 1-based place in it (0: none)
  std::uint32_t column = 0;  // 1-based byte column
  std::size_t entry = 0;     // the 1-based number of the entry (0: none)
  std::string detail;        // the field, or the reason
};

/// Something about the compilers that deserves a line on standard error.
struct DatabaseNotice {
  CompilerSetup::Source kind = CompilerSetup::NotAllowed;  // NotAllowed, Failed or NotFound
  std::string compiler;  // the program's path, or the name given when none is found
};

/// One file of a database with its configuration.
struct DatabaseEntry {
  std::string path;    // absolute, in normal form
  std::string shown;   // how facts name it: relative to the current folder when below it
  std::string resolved;  // `path` with its links followed (empty: it does not exist)
  std::shared_ptr<const CScanConfig> config;  // its symbols and build; captions as by default
  // Later entries of the same file that compile it otherwise (other symbols, or
  // another build: a library built for several widths), in the database's order.
  std::vector<std::shared_ptr<const CScanConfig>> variants;
};

/// The entries of one database.
class CompilationDatabase {
 public:
  /// Reads `where`: a compile_commands.json, or a folder that holds one. Relative
  /// paths in it count from the current folder. False, with `error` set, when it
  /// cannot be read or is no database.
  bool load(const std::string& where, const DatabaseOptions& options, DatabaseError& error);
  /// Reads the database text `text` as if it were the file `file` (absolute).
  bool read(std::string_view text, const std::string& file, const DatabaseOptions& options,
            DatabaseError& error);

  /// Every file, in the order of the database; a file listed twice keeps its first entry.
  const std::vector<DatabaseEntry>& entries() const { return entries_; }
  /// The entry of `path` (absolute, normal form; links followed or not), or null.
  const DatabaseEntry* find(const std::string& path) const;
  /// The compilers that were not asked, or failed, each once.
  const std::vector<DatabaseNotice>& notices() const { return notices_; }
  /// The database file read.
  const std::string& file() const { return file_; }
  /// The header cache that every entry's configuration uses.
  const std::shared_ptr<HeaderCache>& headers() const { return headers_; }

 private:
  /// An entry read, its compiler not asked yet.
  struct PendingEntry {
    std::string directory;  // absolute
    std::string path;       // the file, absolute
    CompileFlags flags;     // its command's flags
  };
  void addEntry(const std::string& directory, const std::string& path, const CompileFlags& flags,
                CompilerCache& compilers);
  std::vector<struct PrefetchSource> prefetchSources(const std::vector<PendingEntry>& pending);
  std::string resolvedFolder(const std::string& folder);
  std::shared_ptr<const CBuild> buildFor(const CompileFlags& flags, const CompilerSetup& setup,
                                         const std::string& directory);
  void notice(const CompilerSetup& setup, const std::string& name);


  PathResolver paths_;                       // the folders of its entries, with links followed
  std::string file_;                         // the database file
  std::string base_;                         // the current folder when it was read
  std::vector<DatabaseEntry> entries_;       // in order
  std::unordered_map<std::string, std::size_t> byPath_;  // position of each path in `entries_`
  std::vector<DatabaseNotice> notices_;      // in order
  std::shared_ptr<HeaderCache> headers_ = std::make_shared<HeaderCache>();  // shared by every build
  // What runs of headers' lines do, shared by every build: an effect holds what it
  // depended on, the search folders included where it asked for a header.
  std::shared_ptr<HeaderEffects> effects_ = std::make_shared<HeaderEffects>();
  std::unordered_map<std::string, std::shared_ptr<const CBuild>> builds_;  // by their settings
};

}  // namespace quenwick
