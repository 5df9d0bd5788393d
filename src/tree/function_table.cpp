#include "tree/function_table.h"

#include <algorithm>
#include <limits>
#include <new>

namespace quenwick {

namespace {

std::uint32_t checkedIndex(std::size_t size) {
  if (size >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  return static_cast<std::uint32_t>(size);
}

}  // namespace

std::uint32_t FunctionTable::internName(std::string_view name) {
  std::uint32_t id = symbols_.intern(name);
  if (id >= nameInfo_.size()) nameInfo_.resize(id + 1);
  return id;
}

std::uint32_t FunctionTable::internFile(std::string_view file) {
  return files_.intern(file);
}

FuncRecord FunctionTable::createFuncRecord(std::string_view name, std::string_view file, int line,
                                           const std::string* caption, bool showComments) {
  FuncRecord record;
  record.nameId = internName(name);
  record.name = symbols_.name(record.nameId);
  record.fileId = internFile(file);
  record.filename = files_.name(record.fileId);
  if (showComments && caption != nullptr) record.comment = *caption;
  record.lines = line;
  std::size_t fileLength = std::min<std::size_t>(file.size(), std::numeric_limits<int>::max());
  maxFileNameLen = std::max(maxFileNameLen, static_cast<unsigned>(fileLength));
  maxLineNo = std::max(maxLineNo, line);
  record.sonsBegin = checkedIndex(calleeStore_.size());
  return record;
}

FuncRecord& FunctionTable::appendFuncRecord(FuncRecord&& record) {
  std::uint32_t at = checkedIndex(records_.size());
  record.index = at;
  record.placesBegin = checkedIndex(places_.size());
  record.sitesBegin = checkedIndex(sites_.size());
  FuncRecord& added = records_.emplace_back(std::move(record));
  nextSameName_.push_back(UINT32_MAX);
  NameInfo& info = nameInfo_[added.nameId];
  if (info.definitions > 0) nextSameName_[info.lastDefinition] = at;
  info.lastDefinition = at;
  addToGroup(added.nameId, at);
  seenEverywhereValid_ = false;
  unitFilesValid_ = false;
  return added;
}

void FunctionTable::addIncludedSources(std::string_view file,
                                       const std::vector<std::string>& included) {
  if (included.empty()) return;
  const std::uint32_t fileId = internFile(file);
  for (const std::string& name : included) includedNames_.emplace_back(fileId, name);
  unitFilesValid_ = false;
}

void FunctionTable::addUnitFile(std::string_view file, std::string_view other) {
  unitPairs_.emplace_back(internFile(file), internFile(other));
  unitFilesValid_ = false;
}

namespace {

// `path` with "." and "x/.." steps taken out.
std::string normalPath(std::string_view path) {
  std::vector<std::string_view> steps;
  const bool absolute = !path.empty() && path.front() == '/';
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    std::string_view step = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (step.empty() || step == ".") continue;
    if (step == ".." && !steps.empty() && steps.back() != "..") {
      steps.pop_back();
      continue;
    }
    steps.push_back(step);
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (i > 0) out += '/';
    out.append(steps[i]);
  }
  return out;
}

}  // namespace

// For each file, the files of its translation unit that the table holds: itself,
// the sources it includes, found beside it, and those of the files including it.
void FunctionTable::computeIncludedFiles() {
  unitFiles_.assign(files_.size(), {});
  for (std::uint32_t f = 0; f < files_.size(); ++f) unitFiles_[f].push_back(f);
  if (!includedNames_.empty()) {
    std::unordered_map<std::string, std::uint32_t> byPath;
    for (std::uint32_t f = 0; f < files_.size(); ++f) byPath.emplace(normalPath(files_.name(f)), f);
    for (const auto& [fileId, name] : includedNames_) {
      std::string_view from = files_.name(fileId);
      const std::size_t slash = from.rfind('/');
      std::string path = slash == std::string_view::npos ? std::string() : std::string(from.substr(0, slash + 1));
      path += name;
      auto found = byPath.find(normalPath(path));
      if (found == byPath.end() || found->second == fileId) continue;
      auto& unit = unitFiles_[fileId];
      if (std::find(unit.begin(), unit.end(), found->second) == unit.end()) unit.push_back(found->second);
    }
  }
  for (const auto& [fileId, other] : unitPairs_) {
    auto& unit = unitFiles_[fileId];
    if (std::find(unit.begin(), unit.end(), other) == unit.end()) unit.push_back(other);
  }
  buildHeaders_.assign(files_.size(), {});
  hasBuildHeaders_.assign(files_.size(), false);
  readersOf_.assign(files_.size(), {});
  std::vector<std::uint32_t> fileOfHeader(buildHeaderNames_.size(), SymbolTable::kNone);
  for (std::uint32_t h = 0; h < buildHeaderNames_.size(); ++h) fileOfHeader[h] = files_.find(buildHeaderNames_.name(h));
  for (const auto& [fileId, headers] : buildHeaderLists_) {
    std::vector<std::uint32_t>& heard = buildHeaders_[fileId];
    for (std::uint32_t header : headers) {
      if (fileOfHeader[header] != SymbolTable::kNone) heard.push_back(fileOfHeader[header]);
    }
    std::sort(heard.begin(), heard.end());
    hasBuildHeaders_[fileId] = true;
    for (std::uint32_t header : heard) {
      if (header != fileId && isShared(header)) readersOf_[header].push_back(fileId);
    }
    // The sources it includes, through headers too: their statics are its own.
    auto& unit = unitFiles_[fileId];
    for (std::uint32_t header : heard) {
      if (header == fileId || isShared(header)) continue;
      if (std::find(unit.begin(), unit.end(), header) == unit.end()) unit.push_back(header);
    }
  }
  // A source included by another is compiled as part of that file's unit: its
  // calls see what the unit defines (gnulib's regex.c includes regcomp.c, whose
  // calls reach the statics of regex_internal.c, included too).
  const bool anyIncluded = std::any_of(unitFiles_.begin(), unitFiles_.end(), [](const auto& unit) { return unit.size() > 1; });
  const std::vector<std::vector<std::uint32_t>> own = anyIncluded ? unitFiles_ : std::vector<std::vector<std::uint32_t>>();
  for (std::uint32_t f = 0; f < own.size(); ++f) {
    for (std::size_t i = 1; i < own[f].size(); ++i) {
      std::vector<std::uint32_t>& unit = unitFiles_[own[f][i]];
      for (std::uint32_t member : own[f]) {
        if (std::find(unit.begin(), unit.end(), member) == unit.end()) unit.push_back(member);
      }
    }
  }
  unitFilesValid_ = true;
}

void FunctionTable::setBuildHeaders(std::string_view file, const std::vector<std::string_view>& headers) {
  std::vector<std::uint32_t> keys;
  keys.reserve(headers.size());
  for (std::string_view header : headers) keys.push_back(buildHeaderNames_.intern(header));
  buildHeaderLists_.emplace_back(internFile(file), std::move(keys));
  unitFilesValid_ = false;
}

const std::vector<std::uint32_t>& FunctionTable::filesOfUnit(std::uint32_t fileId) {
  if (!unitFilesValid_ || unitFiles_.size() < files_.size()) computeIncludedFiles();
  return unitFiles_[fileId];
}

void FunctionTable::setFileEncoding(std::string_view file, SourceEncoding encoding) {
  const std::uint32_t fileId = internFile(file);
  if (fileEncodings_.size() <= fileId) fileEncodings_.resize(fileId + 1, -1);
  fileEncodings_[fileId] = encoding == SourceEncoding::Utf8 ? 0 : 1;
}

void FunctionTable::setMorePlaces(FuncRecord& record, const std::vector<SourcePlace>& places) {
  record.placesBegin = checkedIndex(places_.size());
  places_.insert(places_.end(), places.begin(), places.end());
  record.placesCount = checkedIndex(places.size());
}

void FunctionTable::addSite(FuncRecord& record, std::string_view callee, SourcePlace place,
                            bool indirect, bool conditional) {
  if (record.sitesCount == 0) record.sitesBegin = checkedIndex(sites_.size());
  sites_.push_back(TableSite{internName(callee), place, indirect, conditional});
  ++record.sitesCount;
}

// Counts the record at `at` among the definitions of its name. Groups by file are
// kept only once a name has a second definition: with one, every caller resolves
// to it wherever the caller is.
void FunctionTable::addToGroup(std::uint32_t nameId, std::uint32_t at) {
  NameInfo& info = nameInfo_[nameId];
  auto addTo = [this, nameId](std::uint32_t record) {
    Group& group = byNameAndFile_[nameFileKey(nameId, records_[record].fileId)];
    if (group.count++ == 0) group.first = record;
  };
  if (info.definitions == 0) {
    info.firstDefinition = at;
  } else {
    if (info.definitions == 1) addTo(info.firstDefinition);
    addTo(at);
  }
  ++info.definitions;
}

// The names of one callee list carry a stamp of their own while that list is the
// one being filled, which makes the repeat test one comparison.
void FunctionTable::makeCurrentList(const FuncRecord& record) {
  if (currentList_ == &record && currentBegin_ == record.sonsBegin) return;
  currentList_ = &record;
  currentBegin_ = record.sonsBegin;
  ++currentStamp_;
  for (std::uint32_t id : Sons(record)) nameInfo_[id].stamp = currentStamp_;
}

bool FunctionTable::containsCallee(const FuncRecord& record, std::string_view callee) {
  std::uint32_t id = symbols_.find(callee);
  if (id == SymbolTable::kNone) return false;
  makeCurrentList(record);
  return nameInfo_[id].stamp == currentStamp_;
}

int FunctionTable::addCallee(FuncRecord& record, std::string_view callee) {
  std::uint32_t id = internName(callee);
  makeCurrentList(record);
  // A list is extended in place when it ends the store, else moved to its end.
  if (record.sonsBegin + record.sonsCount != calleeStore_.size()) {
    std::uint32_t begin = checkedIndex(calleeStore_.size());
    calleeStore_.insert(calleeStore_.end(), calleeStore_.begin() + record.sonsBegin,
                        calleeStore_.begin() + record.sonsBegin + record.sonsCount);
    record.sonsBegin = begin;
    currentBegin_ = begin;
  }
  checkedIndex(calleeStore_.size() + 1);
  calleeStore_.push_back(id);
  ++record.sonsCount;
  nameInfo_[id].stamp = currentStamp_;
  return 1;
}

int FunctionTable::resolveIn(std::uint32_t nameId, std::uint32_t callerFileId,
                             FuncRecord*& definition) {
  const NameInfo& info = nameInfo_[nameId];
  definition = nullptr;
  if (info.definitions == 0) return 0;
  std::uint32_t first = info.firstDefinition;
  std::uint32_t count = info.definitions;
  if (count > 1) {
    auto same = byNameAndFile_.find(nameFileKey(nameId, callerFileId));
    // With no definition in the caller's file, every definition is in another file.
    if (same != byNameAndFile_.end()) {
      first = same->second.first;
      count = same->second.count;
    }
  }
  definition = &records_[first];
  return static_cast<int>(std::min<std::uint32_t>(count, std::numeric_limits<int>::max()));
}

int FunctionTable::resolveCallee(std::string_view callee, std::string_view callerFile,
                                 FuncRecord*& definition) {
  definition = nullptr;
  std::uint32_t id = symbols_.find(callee);
  if (id == SymbolTable::kNone) return 0;
  return resolveIn(id, files_.find(callerFile), definition);
}

int FunctionTable::resolveCallee(std::uint32_t calleeId, const FuncRecord& caller,
                                 FuncRecord*& definition) {
  if (resolution_ == Resolution::Linkage) {
    return resolveLinked(calleeId, caller, definition, nullptr, 1);
  }
  return resolveIn(calleeId, caller.fileId, definition);
}

std::vector<std::uint32_t> FunctionTable::candidates(std::uint32_t calleeId,
                                                     const FuncRecord& caller, std::size_t limit) {
  std::vector<std::uint32_t> all;
  FuncRecord* definition = nullptr;
  if (resolution_ == Resolution::Linkage) {
    resolveLinked(calleeId, caller, definition, &all, limit);
    return all;
  }
  int count = resolveIn(calleeId, caller.fileId, definition);
  if (definition == nullptr) return all;
  // The candidates are the name's records in the caller's file, or all of them.
  const bool ownFile = definition->fileId == caller.fileId;
  for (std::uint32_t r = definition->index; r != UINT32_MAX && all.size() < limit;
       r = nextSameName_[r]) {
    if (!ownFile || records_[r].fileId == caller.fileId) all.push_back(r);
    if (all.size() == static_cast<std::size_t>(count)) break;
  }
  return all;
}

bool FunctionTable::isShared(std::uint32_t fileId) {
  if (fileShares_.size() <= fileId) fileShares_.resize(fileId + 1, -1);
  if (fileShares_[fileId] < 0) {
    fileShares_[fileId] = sharesStatics(std::string(files_.name(fileId))) ? 1 : 0;
  }
  return fileShares_[fileId] == 1;
}

// Which definitions of each name every file sees: those not static, and every one
// of a file made to be included.
void FunctionTable::computeSeenEverywhere() {
  seenEverywhere_.assign(symbols_.size(), SeenEverywhere{});
  for (const FuncRecord& record : records_) {
    if (record.isStatic && !isShared(record.fileId)) continue;
    if (record.kind == DefinitionKind::Macro && !isShared(record.fileId)) continue;
    SeenEverywhere& seen = seenEverywhere_[record.nameId];
    if (record.kind == DefinitionKind::Macro) {
      if (seen.macros++ == 0) seen.firstMacro = record.index;
    } else if (seen.functions++ == 0) {
      seen.firstFunction = record.index;
    }
  }
  seenEverywhereValid_ = true;
}

// A call of a function-like macro's own name inside its body is no call of the
// macro itself: macros do not expand again inside themselves.
bool FunctionTable::seenFrom(const FuncRecord& definition, const FuncRecord& caller) const {
  return !(&definition == &caller && caller.kind == DefinitionKind::Macro);
}

int FunctionTable::resolveLinked(std::uint32_t nameId, const FuncRecord& caller,
                                 FuncRecord*& definition, std::vector<std::uint32_t>* all,
                                 std::size_t limit) {
  definition = nullptr;
  if (nameInfo_[nameId].definitions == 0) return 0;
  // The caller's own translation unit (its file and the sources it includes):
  // its functions, else its macros; then what all other files show, functions
  // before macros. Where a function-like macro of the name stood at the call in
  // the caller's build, the call is the macro's: macros come first, unless the
  // macro calls the function of its name in turn (`#define f(x) (check(x), f(x))`),
  // which the call then reaches as well.
  if (isMacroCall(caller, nameId)) {
    const std::size_t given = all != nullptr ? all->size() : 0;
    int count = resolveInUnit(nameId, DefinitionKind::Macro, caller, definition, all, limit);
    if (count == 0) count = resolveElsewhere(nameId, false, caller, definition, all, limit);
    if (count > 0 && !callsItsName(*definition)) return count;
    if (all != nullptr) all->resize(given);
    definition = nullptr;
  }
  if (int count = resolveInUnit(nameId, DefinitionKind::Function, caller, definition, all, limit)) return count;
  // A header's code compiles in each file of a build that reads it: their static
  // functions answer its calls (a template header calling its includer's helper).
  if (caller.fileId < readersOf_.size() && !readersOf_[caller.fileId].empty()) {
    if (int count = resolveInFiles(nameId, DefinitionKind::Function, readersOf_[caller.fileId], true, caller,
                                   definition, all, limit)) {
      return count;
    }
  }
  if (int count = resolveInUnit(nameId, DefinitionKind::Macro, caller, definition, all, limit)) return count;
  const bool heard = hasBuildHeaders_[caller.fileId];
  for (const bool functions : {true, false}) {
    if (!seenEverywhereValid_) computeSeenEverywhere();
    const SeenEverywhere& seen = seenEverywhere_[nameId];
    if ((functions ? seen.functions : seen.macros) == 0) continue;
    const int count = resolveElsewhere(nameId, functions, caller, definition, all, limit);
    // Macros only when no function is seen (or, with a build, only functions of
    // headers the file did not read).
    if (count > 0 || !heard) return count;
  }
  return 0;
}

int FunctionTable::resolveInUnit(std::uint32_t nameId, DefinitionKind kind, const FuncRecord& caller,
                                 FuncRecord*& definition, std::vector<std::uint32_t>* all,
                                 std::size_t limit) {
  return resolveInFiles(nameId, kind, filesOfUnit(caller.fileId), false, caller, definition, all, limit);
}

// The definitions of one kind in `files` (static ones only when asked).
int FunctionTable::resolveInFiles(std::uint32_t nameId, DefinitionKind kind,
                                  const std::vector<std::uint32_t>& files, bool staticOnly,
                                  const FuncRecord& caller, FuncRecord*& definition,
                                  std::vector<std::uint32_t>* all, std::size_t limit) {
  const NameInfo& info = nameInfo_[nameId];
  int count = 0;
  for (std::uint32_t fileId : files) {
    std::uint32_t first = UINT32_MAX;
    if (info.definitions == 1) {
      if (records_[info.firstDefinition].fileId == fileId) first = info.firstDefinition;
    } else {
      auto same = byNameAndFile_.find(nameFileKey(nameId, fileId));
      if (same != byNameAndFile_.end()) first = same->second.first;
    }
    for (std::uint32_t r = first; r != UINT32_MAX; r = nextSameName_[r]) {
      const FuncRecord& record = records_[r];
      if (record.fileId != fileId) break;  // a file's records stand together
      if (record.kind != kind || !seenFrom(record, caller) || (staticOnly && !record.isStatic)) continue;
      if (count++ == 0) definition = &records_[r];
      if (all != nullptr && all->size() < limit) all->push_back(r);
    }
  }
  return count;
}

// What all files see of one kind. A file scanned with its build sees the macros
// and static functions of the headers it read only (a build may hold two copies
// of a header).
int FunctionTable::resolveElsewhere(std::uint32_t nameId, bool functions, const FuncRecord& caller,
                                    FuncRecord*& definition, std::vector<std::uint32_t>* all,
                                    std::size_t limit) {
  if (!seenEverywhereValid_) computeSeenEverywhere();
  const SeenEverywhere& seen = seenEverywhere_[nameId];
  const std::uint32_t first = functions ? seen.firstFunction : seen.firstMacro;
  const std::uint32_t count = functions ? seen.functions : seen.macros;
  if (count == 0) return 0;
  const std::vector<std::uint32_t>* heard = hasBuildHeaders_[caller.fileId] ? &buildHeaders_[caller.fileId] : nullptr;
  int found = 0;
  for (std::uint32_t r = first; r != UINT32_MAX; r = nextSameName_[r]) {
    const FuncRecord& record = records_[r];
    if ((record.kind == DefinitionKind::Macro) == functions) continue;
    const bool local = record.isStatic || record.kind == DefinitionKind::Macro;
    if (local && !isShared(record.fileId)) continue;
    if (!seenFrom(record, caller)) continue;
    if (local && heard != nullptr && !std::binary_search(heard->begin(), heard->end(), record.fileId)) continue;
    if (found++ == 0) definition = &records_[r];
    if (all == nullptr || all->size() >= limit) {
      if (all == nullptr && heard == nullptr) break;
      continue;
    }
    all->push_back(r);
  }
  if (all == nullptr && heard == nullptr) {
    // The count without walking them all; the caller itself is among them only as a
    // macro, which never sees itself.
    const bool selfAmong = caller.kind == DefinitionKind::Macro && !functions &&
                           caller.nameId == nameId && isShared(caller.fileId);
    found = static_cast<int>(std::min<std::uint32_t>(count - (selfAmong ? 1 : 0),
                                                     std::numeric_limits<int>::max()));
    if (found == 0) definition = nullptr;
  }
  return found;
}

bool FunctionTable::callsItsName(const FuncRecord& macro) const {
  const std::span<const std::uint32_t> sons = Sons(macro);
  return std::find(sons.begin(), sons.end(), macro.nameId) != sons.end();
}

void FunctionTable::markMacroCall(const FuncRecord& record, std::string_view callee) {
  macroCalls_.push_back(macroCallKey(record, internName(callee)));
  macroCallsSorted_ = false;
}

bool FunctionTable::isMacroCall(const FuncRecord& caller, std::uint32_t nameId) {
  if (macroCalls_.empty()) return false;
  if (!macroCallsSorted_) {
    std::sort(macroCalls_.begin(), macroCalls_.end());
    macroCalls_.erase(std::unique(macroCalls_.begin(), macroCalls_.end()), macroCalls_.end());
    macroCallsSorted_ = true;
  }
  return std::binary_search(macroCalls_.begin(), macroCalls_.end(), macroCallKey(caller, nameId));
}

void FunctionTable::markCalled() {
  if (resolution_ == Resolution::Linkage) {
    // Called: some call resolves to the record, alone or among several.
    for (FuncRecord& record : records_) record.called = false;
    std::vector<std::uint32_t> found;
    for (const FuncRecord& record : records_) {
      for (std::uint32_t id : Sons(record)) {
        FuncRecord* definition = nullptr;
        found.clear();
        const int count = resolveLinked(id, record, definition, &found, SIZE_MAX);
        if (count == 1) {
          definition->called = true;
        } else {
          for (std::uint32_t r : found) records_[r].called = true;
        }
      }
    }
    return;
  }
  std::vector<bool> calledName(symbols_.size(), false);
  for (const FuncRecord& record : records_) {
    for (std::uint32_t id : Sons(record)) calledName[id] = true;
  }
  for (FuncRecord& record : records_) record.called = calledName[record.nameId];
}

void FunctionTable::clearExpanded() {
  for (FuncRecord& record : records_) record.expanded = false;
}

void FunctionTable::pruneUndefinedCallees() {
  if (resolution_ == Resolution::Linkage) {
    for (FuncRecord& record : records_) {
      auto begin = calleeStore_.begin() + record.sonsBegin;
      auto end = std::remove_if(begin, begin + record.sonsCount, [&](std::uint32_t id) {
        FuncRecord* definition = nullptr;
        return resolveCallee(id, record, definition) == 0;
      });
      record.sonsCount = static_cast<std::uint32_t>(end - begin);
    }
    return;
  }
  for (FuncRecord& record : records_) {
    auto begin = calleeStore_.begin() + record.sonsBegin;
    auto end = std::remove_if(begin, begin + record.sonsCount,
                              [this](std::uint32_t id) { return nameInfo_[id].definitions == 0; });
    record.sonsCount = static_cast<std::uint32_t>(end - begin);
  }
}

void FunctionTable::freeFunctionTable() {
  records_.clear();
  symbols_.clear();
  nameInfo_.clear();
  nameInfo_.shrink_to_fit();
  files_.clear();
  calleeStore_.clear();
  calleeStore_.shrink_to_fit();
  byNameAndFile_.clear();
  currentList_ = nullptr;
  places_.clear();
  places_.shrink_to_fit();
  sites_.clear();
  macroCalls_.clear();
  macroCalls_.shrink_to_fit();
  macroCallsSorted_ = true;
  sites_.shrink_to_fit();
  nextSameName_.clear();
  nextSameName_.shrink_to_fit();
  seenEverywhere_.clear();
  seenEverywhereValid_ = false;
  fileShares_.clear();
  fileEncodings_.clear();
  includedNames_.clear();
  unitFiles_.clear();
  unitPairs_.clear();
  buildHeaderNames_ = SymbolTable();
  buildHeaderLists_.clear();
  buildHeaders_.clear();
  readersOf_.clear();
  hasBuildHeaders_.clear();
  unitFilesValid_ = false;
}

}  // namespace quenwick
