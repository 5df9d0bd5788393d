#include "tree/function_table.h"

#include <algorithm>
#include <limits>
#include <new>

namespace quenwick {

FunctionTable::ByText<FunctionTable::NameEntry>::value_type& FunctionTable::internName(
    std::string_view name) {
  auto found = names_.find(name);
  if (found == names_.end()) {
    NameEntry entry{static_cast<std::uint32_t>(names_.size()), Group{}};
    found = names_.emplace(std::string(name), entry).first;
    nameById_.push_back(&*found);
  }
  return *found;
}

const std::string& FunctionTable::internFile(std::string_view file, std::uint32_t& id) {
  auto found = files_.find(file);
  if (found == files_.end()) {
    found = files_.emplace(std::string(file), static_cast<std::uint32_t>(files_.size())).first;
    fileById_.push_back(&found->first);
  }
  id = found->second;
  return found->first;
}

FuncRecord FunctionTable::createFuncRecord(std::string_view name, std::string_view file, int line,
                                           const std::string* caption, bool showComments) {
  FuncRecord record;
  auto& interned = internName(name);
  record.name = interned.first;
  record.nameId = interned.second.id;
  record.filename = internFile(file, record.fileId);
  if (showComments && caption != nullptr) record.comment = *caption;
  record.lines = line;
  std::size_t fileLength = std::min<std::size_t>(file.size(), std::numeric_limits<int>::max());
  maxFileNameLen = std::max(maxFileNameLen, static_cast<unsigned>(fileLength));
  maxLineNo = std::max(maxLineNo, line);
  return record;
}

FuncRecord& FunctionTable::appendFuncRecord(FuncRecord&& record) {
  if (records_.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  auto at = static_cast<std::uint32_t>(records_.size());
  record.index = at;
  // A record that this table did not make (its texts are not this table's own)
  // gets its texts and keys here.
  bool ownName = record.nameId < nameById_.size() &&
                 nameById_[record.nameId]->first.data() == record.name.data();
  auto& name = ownName ? *nameById_[record.nameId] : internName(record.name);
  record.name = name.first;
  record.nameId = name.second.id;
  bool ownFile = record.fileId < fileById_.size() &&
                 fileById_[record.fileId]->data() == record.filename.data();
  if (!ownFile) record.filename = internFile(record.filename, record.fileId);
  FuncRecord& added = records_.emplace_back(std::move(record));
  Group& all = name.second.all;
  Group& same = byNameAndFile_[nameFileKey(added.nameId, added.fileId)];
  for (Group* group : {&all, &same}) {
    if (group->count++ == 0) group->first = at;
  }
  return added;
}

int FunctionTable::addCallee(FuncRecord& record, std::string_view callee) {
  record.Sons.appendName(callee);
  return 1;
}

int FunctionTable::resolveIn(const NameEntry& entry, std::uint32_t callerFileId,
                             FuncRecord*& definition) {
  const Group* group = &entry.all;
  auto same = byNameAndFile_.find(nameFileKey(entry.id, callerFileId));
  if (same != byNameAndFile_.end() && same->second.count > 0) group = &same->second;
  // With no definition in the caller's file, every definition is in another file.
  definition = group->count > 0 ? &records_[group->first] : nullptr;
  return static_cast<int>(std::min<std::uint32_t>(group->count, std::numeric_limits<int>::max()));
}

int FunctionTable::resolveCallee(std::string_view callee, std::string_view callerFile,
                                 FuncRecord*& definition) {
  definition = nullptr;
  auto entry = names_.find(callee);
  if (entry == names_.end()) return 0;
  auto file = files_.find(callerFile);
  std::uint32_t fileId = file == files_.end() ? std::numeric_limits<std::uint32_t>::max()
                                              : file->second;
  return resolveIn(entry->second, fileId, definition);
}

int FunctionTable::resolveCallee(std::string_view callee, const FuncRecord& caller,
                                 FuncRecord*& definition) {
  definition = nullptr;
  auto entry = names_.find(callee);
  if (entry == names_.end()) return 0;
  return resolveIn(entry->second, caller.fileId, definition);
}

void FunctionTable::markCalled() {
  std::vector<bool> calledName(names_.size(), false);
  for (const FuncRecord& record : records_) {
    for (const std::string& callee : record.Sons) {
      auto entry = names_.find(callee);
      if (entry != names_.end()) calledName[entry->second.id] = true;
    }
  }
  for (FuncRecord& record : records_) record.called = calledName[record.nameId];
}

void FunctionTable::clearExpanded() {
  for (FuncRecord& record : records_) record.expanded = false;
}

void FunctionTable::pruneUndefinedCallees() {
  for (FuncRecord& record : records_) {
    record.Sons.retainIf([this](const std::string& callee) {
      auto entry = names_.find(callee);
      return entry != names_.end() && entry->second.all.count > 0;
    });
  }
}

void FunctionTable::freeFunctionTable() {
  records_.clear();
  names_.clear();
  files_.clear();
  nameById_.clear();
  fileById_.clear();
  byNameAndFile_.clear();
}

}  // namespace quenwick
