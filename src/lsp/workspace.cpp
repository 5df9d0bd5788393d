#include "lsp/workspace.h"

#include <algorithm>

#include "config/format_text.h"
#include "driver/build_sources.h"
#include "lsp/uri.h"
#include "platform/file_path.h"
#include "platform/source_tree.h"
#include "platform/text_input.h"

namespace quenwick {

namespace {

constexpr std::string_view kCompileCommands = "compile_commands.json";

// Reads a list of strings; false when `value` is no such list.
bool readStrings(const Json& value, std::vector<std::string>& out) {
  if (!value.is_array()) return false;
  std::vector<std::string> strings;
  for (const Json& item : value) {
    if (!item.is_string()) return false;
    strings.push_back(item.get<std::string>());
  }
  out = std::move(strings);
  return true;
}

bool isAbsolute(const std::string& path) {
  return (!path.empty() && path[0] == '/') ||
         (path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\'));
}

}  // namespace

bool readSymbolFlag(std::string_view flag, SymbolSetting& setting) {
  if (flag.size() < 3 || flag[0] != '-' || (flag[1] != 'D' && flag[1] != 'U')) return false;
  setting = SymbolSetting();
  setting.define = flag[1] == 'D';
  std::string_view rest = flag.substr(2);
  const std::size_t equals = rest.find('=');
  if (equals == 0) return false;
  if (equals != std::string_view::npos) {
    if (!setting.define) return false;
    setting.value = std::string(rest.substr(equals + 1));
    rest = rest.substr(0, equals);
  }
  setting.name = std::string(rest);
  return true;
}

WorkspaceOptions readWorkspaceOptions(const Json& options, std::vector<std::string>& problems) {
  WorkspaceOptions read;
  if (!options.is_object()) return read;
  for (const auto& [key, value] : options.items()) {
    std::vector<std::string> strings;
    if (key == "flags") {
      if (!readStrings(value, strings)) {
        problems.push_back(formatText(Text::LspBadOption, key.c_str(),
                                      formatText(Text::LspNotAList).c_str()));
        continue;
      }
      for (const std::string& flag : strings) {
        SymbolSetting setting;
        if (readSymbolFlag(flag, setting)) {
          read.symbols.push_back(std::move(setting));
        } else {
          problems.push_back(formatText(Text::LspBadOption, key.c_str(),
                                        formatText(Text::LspBadFlag, flag.c_str()).c_str()));
        }
      }
    } else if (key == "exclude" || key == "systemFunctionTables") {
      if (!readStrings(value, strings)) {
        problems.push_back(formatText(Text::LspBadOption, key.c_str(),
                                      formatText(Text::LspNotAList).c_str()));
      } else if (key == "exclude") {
        read.leftOut = std::move(strings);
      } else {
        read.systemTables = std::move(strings);
      }
    } else if (key == "queryDriver") {
      // A list of path patterns, or one string of them separated by commas.
      if (value.is_string()) {
        read.queryDrivers = splitQueryDrivers(value.get<std::string>());
      } else if (readStrings(value, strings)) {
        read.queryDrivers = std::move(strings);
      } else {
        problems.push_back(formatText(Text::LspBadOption, key.c_str(),
                                      formatText(Text::LspNotAList).c_str()));
      }
    } else if (key == "compileCommands") {
      if (value.is_string()) {
        read.compileCommands = value.get<std::string>();
      } else {
        problems.push_back(formatText(Text::LspBadOption, key.c_str(),
                                      formatText(Text::LspNotAString).c_str()));
      }
    } else {
      problems.push_back(
          formatText(Text::LspBadOption, key.c_str(), formatText(Text::LspUnknownKey).c_str()));
    }
  }
  return read;
}

void WideLines::fill(std::string_view text) {
  lines_.clear();
  texts_.clear();
  std::uint32_t line = 1;
  std::size_t start = 0;
  std::size_t lastWide = std::string_view::npos;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '\n') {
      if (lastWide != std::string_view::npos) {
        // One byte more: the trail byte of a code page 932 character may be ASCII.
        const std::size_t end = std::min(lastWide + 2, at);
        lines_.push_back(line);
        texts_.emplace_back(text.substr(start, end - start));
      }
      ++line;
      start = at + 1;
      lastWide = std::string_view::npos;
    } else if (static_cast<unsigned char>(text[at]) >= 0x80) {
      lastWide = at;
    }
  }
}

const std::string* WideLines::find(std::uint32_t line) const {
  auto it = std::lower_bound(lines_.begin(), lines_.end(), line);
  if (it == lines_.end() || *it != line) return nullptr;
  return &texts_[static_cast<std::size_t>(it - lines_.begin())];
}

bool Workspace::addRoot(const std::string& folder) {
  const std::string canonical = canonicalPath(folder);
  if (canonical.empty()) return false;
  if (std::find(roots_.begin(), roots_.end(), canonical) == roots_.end()) {
    roots_.push_back(canonical);
  }
  return true;
}

std::vector<std::string> Workspace::walk(std::vector<std::string>& messages) const {
  SourceTreeRules rules;
  rules.within = roots_;
  rules.maxFileSize = kMaxSourceFileSize;
  for (const std::string& root : roots_) {
    for (const std::string& name : leftOutNames_) {
      const std::string folder = canonicalPath(isAbsolute(name) ? name : root + "/" + name);
      if (!folder.empty()) rules.leftOut.push_back(folder);
    }
  }
  SourceTree tree;
  for (const std::string& root : roots_) {
    walkSourceTree(root, rules, tree);
  }
  for (const std::string& path : tree.tooLarge) {
    messages.push_back(formatText(Text::LspFileTooLarge, path.c_str(),
                                  static_cast<unsigned long long>(kMaxSourceFileSize)));
  }
  for (const std::string& path : tree.outside) {
    messages.push_back(formatText(Text::LspLinkOutside, path.c_str()));
  }
  std::sort(tree.files.begin(), tree.files.end());
  tree.files.erase(std::unique(tree.files.begin(), tree.files.end()), tree.files.end());
  return tree.files;
}

bool Workspace::belongs(const std::string& path) const {
  const std::string canonical = canonicalPath(path);
  if (canonical.empty()) return false;
  for (const std::string& root : roots_) {
    if (!isWithinFolder(canonical, root) || canonical.size() == root.size()) continue;
    // No hidden folder on the way down, and no folder left out.
    const std::string inside = canonical.substr(root.size() + (root.back() == '/' ? 0 : 1));
    if (inside.empty() || inside[0] == '.' || inside.find("/.") != std::string::npos) continue;
    bool leftOut = false;
    for (const std::string& name : leftOutNames_) {
      const std::string folder = canonicalPath(isAbsolute(name) ? name : root + "/" + name);
      if (!folder.empty() && isWithinFolder(canonical, folder)) leftOut = true;
    }
    if (!leftOut) return true;
  }
  return false;
}

SourceFile* Workspace::find(const std::string& path) {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : it->second.get();
}

std::string Workspace::pathOfDocument(std::string_view uri) {
  std::optional<std::string> path = pathOfUri(uri, hostUsesWindowsPaths());
  return path ? *path : std::string(uri);
}

SourceFile* Workspace::findUri(std::string_view uri) {
  const std::string path = pathOfDocument(uri);
  if (SourceFile* file = find(path)) return file;
  const std::string canonical = canonicalPath(path);
  return canonical.empty() ? nullptr : find(canonical);
}

SourceFile& Workspace::add(const std::string& path, bool inWorkspace) {
  std::unique_ptr<SourceFile>& slot = files_[path];
  if (!slot) {
    slot = std::make_unique<SourceFile>();
    slot->path = path;
    slot->uri = uriOfPath(path);
    slot->facts.path = path;
  }
  slot->inWorkspace = slot->inWorkspace || inWorkspace;
  return *slot;
}

void Workspace::remove(const std::string& path) {
  files_.erase(path);
}

bool Workspace::readText(const SourceFile& file, std::string& text) const {
  if (file.open) {
    text = file.buffer;
    return true;
  }
  const std::int64_t size = regularFileSize(file.path);
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxSourceFileSize) return false;
  return readWholeFile(file.path, text);
}

void Workspace::loadDatabases(const std::optional<std::string>& named,
                              const DatabaseOptions& options, std::vector<std::string>& messages) {
  databases_.clear();
  std::vector<std::string> places;
  if (named) {
    const bool relative = !isAbsolute(*named) && !roots_.empty();
    places.push_back(relative ? roots_.front() + "/" + *named : *named);
  } else {
    for (const std::string& root : roots_) {
      const std::string database = root + "/" + std::string(kCompileCommands);
      if (regularFileSize(database) >= 0) places.push_back(database);
    }
  }
  for (const std::string& place : places) {
    auto database = std::make_unique<CompilationDatabase>();
    DatabaseError error;
    if (!database->load(place, options, error)) {
      std::string reason = describeDatabaseError(error);
      if (!reason.empty() && reason.back() == '\n') reason.pop_back();
      messages.push_back(formatText(Text::LspDatabaseError, reason.c_str()));
      continue;
    }
    for (const DatabaseNotice& notice : database->notices()) {
      const char* compiler = notice.compiler.c_str();
      switch (notice.kind) {
        case CompilerSetup::NotAllowed:
          messages.push_back(formatText(Text::LspCompilerNotAllowed, compiler, compiler));
          break;
        case CompilerSetup::Failed:
          messages.push_back(formatText(Text::LspCompilerFailed, compiler));
          break;
        case CompilerSetup::NotFound:
          messages.push_back(formatText(Text::LspCompilerNotFound, compiler));
          break;
        case CompilerSetup::Asked:
          break;
      }
    }
    messages.push_back(
        formatText(Text::LspDatabaseRead, database->file().c_str(), database->entries().size()));
    databases_.push_back(std::move(database));
  }
}

const DatabaseEntry* Workspace::entryOf(const std::string& path) const {
  for (const auto& database : databases_) {
    if (const DatabaseEntry* entry = database->find(path)) return entry;
  }
  return nullptr;
}

std::vector<SourceFile*> Workspace::headerChanged(const std::string& path) {
  std::vector<SourceFile*> readers;
  if (databases_.empty()) return readers;
  const std::string normal = normalPath(path);
  for (const auto& database : databases_) database->headers()->forget(normal);
  for (const auto& [name, file] : files_) {
    const std::vector<std::string>& headers = file->facts.headers;
    if (std::find(headers.begin(), headers.end(), normal) != headers.end()) {
      readers.push_back(file.get());
    }
  }
  return readers;
}

bool Workspace::rescan(SourceFile& file) {
  std::string text;
  const bool read = readText(file, text);
  if (!read) {
    file.facts = FileFacts();
    file.facts.path = file.path;
    file.wide.fill({});
    return false;
  }
  if (const DatabaseEntry* entry = entryOf(file.path)) {
    // The build's configuration, then the options' own -D and -U, as on
    // quenwick-graph's command line.
    CScanConfig configured = *entry->config;
    configured.symbols.insert(configured.symbols.end(), config_.symbols.begin(), config_.symbols.end());
    configured.captions = config_.captions;
    configured.captionKeyword = config_.captionKeyword;
    file.facts = scanCSource(file.path, text, configured);
  } else {
    file.facts = scanCSource(file.path, text, config_);
  }
  file.coding =
      file.facts.encoding == SourceEncoding::Cp932 ? TextCoding::Cp932 : TextCoding::Utf8;
  file.wide.fill(text);
  return true;
}

std::uint32_t Workspace::clientColumn(const SourceFile& file, std::uint32_t line,
                                      std::uint32_t column, PositionEncoding encoding) {
  const std::uint32_t offset = column > 0 ? column - 1 : 0;
  const std::string* text = file.wide.find(line);
  if (text == nullptr) return offset;
  if (offset <= text->size()) return columns_.columnOf(*text, offset, file.coding, encoding);
  const std::uint32_t tail = offset - static_cast<std::uint32_t>(text->size());
  return columns_.columnOf(*text, text->size(), file.coding, encoding) + tail;
}

}  // namespace quenwick
