// The files the server knows: every C file below the workspace folders and every
// open document, each with its text's facts from the C scan. The text of an open
// document counts over the file on disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cscan/c_database.h"
#include "cscan/c_scan.h"
#include "lsp/json_rpc.h"
#include "lsp/text_columns.h"
#include "tree/file_facts.h"

namespace quenwick {

/// Files larger than this are left out of the folder walk and are not scanned.
inline constexpr std::uint64_t kMaxSourceFileSize = 32ull * 1024 * 1024;

/// The initialization options that shape the scan.
struct WorkspaceOptions {
  std::vector<SymbolSetting> symbols;                    // "flags": -D and -U, in order
  std::vector<std::string> leftOut;                      // "exclude": folders not walked
  std::optional<std::vector<std::string>> systemTables;  // "systemFunctionTables"
  std::optional<std::string> compileCommands;            // "compileCommands": a path
  std::optional<std::vector<std::string>> queryDrivers;  // "queryDriver": the compilers that may run
};

/// Reads the client's initialization options; each one that cannot be used is
/// described in `problems` and ignored.
WorkspaceOptions readWorkspaceOptions(const Json& options, std::vector<std::string>& problems);

/// Reads one "-DNAME", "-DNAME=VALUE" or "-UNAME"; false for anything else.
bool readSymbolFlag(std::string_view flag, SymbolSetting& setting);

/// The lines of a text that hold bytes beyond ASCII, each up to just past its last
/// such byte: all that converting its columns needs.
class WideLines {
 public:
  /// The lines of `text`.
  void fill(std::string_view text);
  /// Line `line` (1-based) up to past its last byte beyond ASCII, or none when it
  /// has no such byte.
  const std::string* find(std::uint32_t line) const;

 private:
  std::vector<std::uint32_t> lines_;  // 1-based, ascending
  std::vector<std::string> texts_;    // the line beginnings, by position in `lines_`
};

/// One file of the index.
struct SourceFile {
  std::string path;          // the path the index uses ("/" as separator)
  std::string uri;           // its URI
  bool inWorkspace = false;  // found below a workspace folder
  bool open = false;         // the client has it open; `buffer` holds its text
  std::string buffer;        // the open document's text (UTF-8)
  FileFacts facts;           // the C scan of its text
  TextCoding coding = TextCoding::Utf8;  // how that text's bytes are read
  WideLines wide;            // the lines of that text beyond ASCII
};

/// The workspace folders and the files of the index.
class Workspace {
 public:
  /// The scan takes `config`.
  explicit Workspace(CScanConfig config) : config_(std::move(config)) {}

  /// Adds a workspace folder (an existing folder; its canonical form is kept).
  /// False when it does not exist.
  bool addRoot(const std::string& folder);
  /// The canonical workspace folders.
  const std::vector<std::string>& roots() const { return roots_; }
  /// Folders whose files are left out (absolute, or relative to each root).
  void setLeftOut(const std::vector<std::string>& folders) { leftOutNames_ = folders; }

  /// Every C file below the workspace folders, and what was left out, with messages.
  std::vector<std::string> walk(std::vector<std::string>& messages) const;

  /// Reads the compilation databases that configure the scan: `named` (a file or a
  /// folder; a relative path counts from the first workspace folder), else the
  /// compile_commands.json of each workspace folder's root. Messages say what was
  /// read, what could not be, and the compilers not run.
  void loadDatabases(const std::optional<std::string>& named, const DatabaseOptions& options,
                     std::vector<std::string>& messages);
  /// Forgets what the configured scans read of the header `path` after it changed
  /// on disk; returns the files whose scans read its directives, to be scanned again.
  std::vector<SourceFile*> headerChanged(const std::string& path);

  /// The file `path`, if the index has it.
  SourceFile* find(const std::string& path);
  /// The file of `uri`, if the index has it (by path, else by canonical path).
  SourceFile* findUri(std::string_view uri);
  /// The file `path`, added (not yet scanned) when the index does not have it.
  SourceFile& add(const std::string& path, bool inWorkspace);
  /// Drops the file `path` from the index.
  void remove(const std::string& path);
  /// True when `path` lies below a workspace folder and is not left out.
  bool belongs(const std::string& path) const;

  /// Scans the file again from its open text or from the disk, in its build's
  /// configuration when a database lists it. False when it could not be read or is
  /// too large (its facts are then empty).
  bool rescan(SourceFile& file);
  /// The text the file's facts come from: the open text, else the disk's bytes.
  bool readText(const SourceFile& file, std::string& text) const;

  /// The client's column of the byte column `column` (1-based) of line `line`
  /// (1-based) of `file`.
  std::uint32_t clientColumn(const SourceFile& file, std::uint32_t line, std::uint32_t column,
                             PositionEncoding encoding);
  /// The converter for columns of texts read here.
  ColumnMapper& columns() { return columns_; }

  /// The files, sorted by path.
  const std::map<std::string, std::unique_ptr<SourceFile>>& files() const { return files_; }
  /// The path of `uri` as the index names files: the URI's local path, or the URI
  /// itself for a document that is no local file.
  static std::string pathOfDocument(std::string_view uri);

 private:
  const DatabaseEntry* entryOf(const std::string& path) const;

  CScanConfig config_;
  std::vector<std::unique_ptr<CompilationDatabase>> databases_;  // read ones, first counts first
  std::vector<std::string> roots_;         // canonical workspace folders
  std::vector<std::string> leftOutNames_;  // the folders to leave out, as given
  std::map<std::string, std::unique_ptr<SourceFile>> files_;  // by path
  ColumnMapper columns_;
};

}  // namespace quenwick
