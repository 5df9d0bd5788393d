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
  FuncRecord& added = records_.emplace_back(std::move(record));
  addToGroup(added.nameId, at);
  return added;
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
  return resolveIn(calleeId, caller.fileId, definition);
}

void FunctionTable::markCalled() {
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
}

}  // namespace quenwick
