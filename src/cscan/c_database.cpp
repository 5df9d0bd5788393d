#include "cscan/c_database.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "cscan/c_command_line.h"
#include "cscan/c_prefetch.h"
#include "platform/directory.h"
#include "platform/file_path.h"
#include "platform/text_input.h"
#include "platform/workers.h"

namespace quenwick {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kFileName = "compile_commands.json";

// Headers read ahead at most while the compilers answer: enough for a large
// project's, few enough for a kernel's not to cost more than they save.
constexpr std::size_t kMostPrefetched = 4096;

// Programs that start the compiler named after them.
bool isLauncher(const std::string& word) {
  const std::string base = word.substr(word.find_last_of('/') + 1);
  return base == "ccache" || base == "sccache" || base == "distcc" || base == "icecc";
}

// The 1-based line and column of the byte at `offset`.
void placeOf(std::string_view text, std::size_t offset, std::uint32_t& line, std::uint32_t& column) {
  line = 1;
  column = 1;
  offset = std::min(offset, text.size());
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
}

// The offset of the `number`th (1-based) value of the top-level array in `text`,
// or the text's size: a scan for the place of an entry that is wrong.
std::size_t entryOffset(std::string_view text, std::size_t number) {
  int depth = 0;
  std::size_t seen = 0;
  bool expectValue = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (depth == 1 && expectValue && c != ']') {
      expectValue = false;
      if (++seen == number) return i;
    }
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\') ++i;
      }
    } else if (c == '[' || c == '{') {
      if (++depth == 1) expectValue = true;
    } else if (c == ']' || c == '}') {
      --depth;
    } else if (c == ',' && depth == 1) {
      expectValue = true;
    }
  }
  return text.size();
}

// Reads one string field; false (with `error`) when it is there but no string.
bool stringField(const Json& entry, const char* name, std::string& value, bool& present,
                 DatabaseError& error) {
  auto found = entry.find(name);
  present = found != entry.end();
  if (!present) return true;
  if (!found->is_string()) {
    error.kind = DatabaseError::BadField;
    error.detail = name;
    return false;
  }
  value = found->get<std::string>();
  return true;
}

// The words of an entry's command: "arguments", else "command" split as the shell does.
bool commandWords(const Json& entry, std::vector<std::string>& words, DatabaseError& error) {
  auto arguments = entry.find("arguments");
  if (arguments != entry.end()) {
    if (!arguments->is_array()) {
      error.kind = DatabaseError::BadField;
      error.detail = "arguments";
      return false;
    }
    for (const Json& word : *arguments) {
      if (!word.is_string()) {
        error.kind = DatabaseError::BadField;
        error.detail = "arguments";
        return false;
      }
      words.push_back(word.get<std::string>());
    }
    return true;
  }
  std::string command;
  bool present = false;
  if (!stringField(entry, "command", command, present, error)) return false;
  if (!present) {
    error.kind = DatabaseError::NoCommand;
    return false;
  }
  std::string why;
  if (!splitShellWords(command, words, why)) {
    error.kind = DatabaseError::BadCommand;
    error.detail = why;
    return false;
  }
  return true;
}

}  // namespace

bool CompilationDatabase::load(const std::string& where, const DatabaseOptions& options,
                               DatabaseError& error) {
  const std::string here = currentDirectory();
  std::string file = absolutePath(where, here);
  if (isDirectory(file)) file = joinPath(file, kFileName);
  std::string text;
  // Within a size no database has (a kernel's is under 100 MB): /dev/zero never ends.
  if (isDirectory(file) || readWholeFile(file, text, kMaxDatabaseSize) != WholeFile::Read) {
    error = DatabaseError{};
    error.kind = DatabaseError::Unreadable;
    error.file = where;
    if (isDirectory(absolutePath(where, here))) error.file = joinPath(where, kFileName);
    return false;
  }
  return read(text, file, options, error);
}

bool CompilationDatabase::read(std::string_view text, const std::string& file,
                               const DatabaseOptions& options, DatabaseError& error) {
  file_ = file;
  base_ = currentDirectory();
  entries_.clear();
  byPath_.clear();
  paths_ = PathResolver();  // links may have changed since the last reading
  notices_.clear();
  builds_.clear();
  error = DatabaseError{};
  error.file = shownPath(file, base_);
  Json document;
  try {
    document = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& failure) {
    error.kind = DatabaseError::NotJson;
    // `byte` counts from 1 and points past the byte that ended the parse.
    placeOf(text, failure.byte > 0 ? failure.byte - 1 : 0, error.line, error.column);
    const std::string what = failure.what();
    const std::size_t reason = what.find(": ", what.find("parse error"));
    error.detail = reason == std::string::npos ? what : what.substr(reason + 2);
    return false;
  }
  if (!document.is_array()) {
    error.kind = DatabaseError::NotList;
    placeOf(text, text.find_first_not_of(" \t\r\n"), error.line, error.column);
    return false;
  }
  const std::string folder = folderOf(file);
  std::vector<PendingEntry> pending;
  std::size_t number = 0;
  for (const Json& entry : document) {
    ++number;
    auto fail = [&](DatabaseError::Kind kind) {
      if (kind != DatabaseError::Unreadable) error.kind = kind;
      error.entry = number;
      placeOf(text, entryOffset(text, number), error.line, error.column);
      return false;
    };
    if (!entry.is_object()) return fail(DatabaseError::NotObject);
    std::string directory, name;
    bool hasDirectory = false, hasFile = false;
    if (!stringField(entry, "directory", directory, hasDirectory, error) ||
        !stringField(entry, "file", name, hasFile, error)) {
      return fail(DatabaseError::Unreadable);
    }
    if (!hasFile || name.empty()) return fail(DatabaseError::NoFile);
    std::vector<std::string> words;
    if (!commandWords(entry, words, error)) return fail(DatabaseError::Unreadable);
    while (!words.empty() && isLauncher(words.front())) words.erase(words.begin());
    if (words.empty()) {
      error.detail = "empty";
      return fail(DatabaseError::BadCommand);
    }
    const std::string at = absolutePath(hasDirectory ? directory : std::string("."), folder);
    pending.push_back(PendingEntry{at, absolutePath(name, at), readCompileFlags(words, at)});
  }
  // Every entry is read: now the compilers are asked, while the headers the files
  // include are read on another thread.
  std::vector<PrefetchSource> sources = prefetchSources(pending);
  CompilerCache compilers(options.queryDrivers);
  std::atomic<bool> asked{false};
  runInOrder(
      2, 2, 2,
      [&](std::size_t job) {
        if (job == 1) return prefetchHeaders(*headers_, sources, asked, kMostPrefetched);
        std::vector<CompilerCache::Request> requests;
        for (const PendingEntry& entry : pending) {
          requests.push_back(CompilerCache::Request{entry.flags.compiler, entry.directory, entry.flags.targetFlags,
                                                    entry.flags.noPredefined});
        }
        compilers.askAll(requests);
        for (const PendingEntry& entry : pending) addEntry(entry.directory, entry.path, entry.flags, compilers);
        asked = true;
      },
      [](std::size_t) {});
  return true;
}

std::vector<PrefetchSource> CompilationDatabase::prefetchSources(const std::vector<PendingEntry>& pending) {
  // The compiler's own folders as the host's GCC has them: a guess, good for
  // reading ahead only (each scan searches the folders of its compiler).
  const std::vector<std::string> guessed = compilerFolders(std::string(), *builtInPredefined());
  std::vector<PrefetchSource> sources;
  for (const PendingEntry& entry : pending) {
    PrefetchSource source;
    const std::string real = paths_.resolved(folderOf(entry.path));
    source.path = real.empty() ? entry.path : joinPath(real, entry.path.substr(entry.path.find_last_of('/') + 1));
    for (const std::string& folder : entry.flags.quoteDirs) source.quoteFolders.push_back(resolvedFolder(folder));
    const CompileFlags& flags = entry.flags;
    for (const auto* list : {&flags.includeDirs, &flags.systemDirs, flags.noStandardFolders ? nullptr : &guessed,
                             &flags.afterDirs}) {
      if (list == nullptr) continue;
      for (const std::string& folder : *list) source.folders.push_back(resolvedFolder(folder));
    }
    sources.push_back(std::move(source));
  }
  return sources;
}

std::string CompilationDatabase::resolvedFolder(const std::string& folder) {
  std::string resolved = paths_.resolved(folder);
  return resolved.empty() ? folder : resolved;
}

void CompilationDatabase::addEntry(const std::string& directory, const std::string& path,
                                   const CompileFlags& flags, CompilerCache& compilers) {
  const std::string resolved = paths_.resolved(path);
  auto listed = byPath_.find(path);
  if (listed == byPath_.end() && !resolved.empty()) listed = byPath_.find(resolved);
  const CompilerSetup& setup =
      compilers.setup(flags.compiler, directory, flags.targetFlags, flags.noPredefined);
  notice(setup, flags.compiler);
  auto config = std::make_shared<CScanConfig>();
  config->symbols = flags.symbols;
  config->build = buildFor(flags, setup, directory);
  if (listed != byPath_.end()) {
    // The first entry of a file names it; another that compiles it otherwise
    // is a variant (the same flags again, as static and shared builds give, are not).
    DatabaseEntry& first = entries_[listed->second];
    auto same = [&config](const std::shared_ptr<const CScanConfig>& other) {
      return other->build == config->build && other->symbols == config->symbols;
    };
    if (!same(first.config) && std::none_of(first.variants.begin(), first.variants.end(), same)) {
      first.variants.push_back(std::move(config));
    }
    return;
  }
  byPath_.emplace(path, entries_.size());
  if (!resolved.empty() && resolved != path) byPath_.emplace(resolved, entries_.size());
  entries_.push_back(DatabaseEntry{path, paths_.shown(path, base_), resolved, std::move(config), {}});
}

std::shared_ptr<const CBuild> CompilationDatabase::buildFor(const CompileFlags& flags,
                                                            const CompilerSetup& setup,
                                                            const std::string& directory) {
  // Folders with their links followed: a header reached through two spellings of
  // one folder is still one header.
  auto real = [this](const std::string& folder) { return resolvedFolder(folder); };
  std::vector<SearchFolder> folders;
  for (const std::string& folder : flags.includeDirs) folders.push_back({real(folder), false});
  for (const std::string& folder : flags.systemDirs) folders.push_back({real(folder), true});
  if (!flags.noStandardFolders) {
    for (const std::string& folder : setup.folders) folders.push_back({real(folder), true});
  }
  for (const std::string& folder : flags.afterDirs) folders.push_back({real(folder), true});
  std::vector<std::string> quoteFolders;
  for (const std::string& folder : flags.quoteDirs) quoteFolders.push_back(real(folder));
  // Files compiled alike share one build: its key is everything it holds.
  std::string key = std::to_string(reinterpret_cast<std::uintptr_t>(setup.predefined.get()));
  key += '\n' + flags.compiler;
  for (const std::string& folder : quoteFolders) key += "\nq" + folder;
  for (const SearchFolder& folder : folders) key += (folder.system ? "\ns" : "\ni") + folder.path;
  if (!flags.forcedIncludes.empty()) key += "\nd" + real(directory);
  for (const std::string& forced : flags.forcedIncludes) key += "\nf" + forced;
  auto found = builds_.find(key);
  if (found != builds_.end()) return found->second;
  auto build = std::make_shared<CBuild>();
  build->compiler = flags.compiler;
  build->predefined = setup.predefined;
  build->quoteFolders = std::move(quoteFolders);
  build->folders = std::move(folders);
  build->directory = real(directory);
  build->forcedIncludes = flags.forcedIncludes;
  build->headers = headers_;
  build->prefixes = std::make_shared<PrefixTree>();
  build->effects = effects_;
  build->searches = std::make_shared<HeaderSearches>();
  builds_.emplace(key, build);
  return build;
}

void CompilationDatabase::notice(const CompilerSetup& setup, const std::string& name) {
  if (setup.source == CompilerSetup::Asked) return;
  const std::string& compiler = setup.path.empty() ? name : setup.path;
  for (const DatabaseNotice& given : notices_) {
    if (given.compiler == compiler) return;
  }
  notices_.push_back(DatabaseNotice{setup.source, compiler});
}

const DatabaseEntry* CompilationDatabase::find(const std::string& path) const {
  auto found = byPath_.find(path);
  return found == byPath_.end() ? nullptr : &entries_[found->second];
}

}  // namespace quenwick
