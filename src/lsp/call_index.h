// The calls of every file of the workspace: the function table filled from each
// file's facts, as quenwick-graph fills it, and the call graph over it. It is built
// again after a file changes, so its callers are always quenwick-graph's. Places
// (of definitions and call sites) are read from the files' facts, never from the
// table: a change that moves things without changing what is defined and called
// leaves the table as a new build would make it, and needs no build.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lsp/workspace.h"
#include "shared/name_lists.h"
#include "tree/call_graph.h"
#include "tree/function_table.h"

namespace quenwick {

/// Where a name under the cursor stands.
struct NameAt {
  std::string_view name;                  // the identifier (empty when there is none)
  std::uint32_t definition = UINT32_MAX;  // the record whose name it is, if any
  std::uint32_t caller = UINT32_MAX;      // the record whose call site it is, if any
  bool indirect = false;                  // that call site goes through a pointer or member
};

/// A call site of a record, with its caller.
struct SiteOf {
  std::uint32_t caller = 0;  // the calling record
  SourcePlace place;         // where the callee's name starts
};

/// True when `a` and `b` define the same names, of the same kinds, linkage and
/// captions, calling the same names in the same order: the function table of the
/// one is the table of the other, whatever their places.
bool sameShape(const FileFacts& a, const FileFacts& b);

/// The function table and call graph of a set of files.
class CallIndex {
 public:
  /// Builds the index of `files` (in their order), leaving out the names of `lists`.
  void rebuild(const std::vector<const SourceFile*>& files, const NameLists& lists);

  /// The table (empty before the first build).
  FunctionTable& table() { return *table_; }
  /// The call graph.
  const CallGraph& graph() const { return *graph_; }
  /// True once built.
  bool built() const { return graph_ != nullptr; }

  /// The file of the record at `index`.
  const SourceFile& fileOf(std::uint32_t index) const { return *fileOfRecord_[index]; }
  /// The facts' definition of the record at `index`.
  const FileDefinition& definitionOf(std::uint32_t index) const;
  /// The records of `file`, in source order.
  std::span<const std::uint32_t> recordsOf(const SourceFile& file) const;

  /// What the identifier `name`, starting at the 1-based `line` and byte `column` of
  /// `file`, stands for there.
  NameAt locate(const SourceFile& file, std::string_view name, std::uint32_t line,
                std::uint32_t column);
  /// The definitions that the name at `at` may mean: the one named there, the
  /// candidates of a call, else every definition of the name, those of `file` first.
  std::vector<std::uint32_t> targets(const SourceFile& file, const NameAt& at);
  /// The places of the direct calls of `name` (a name key) in the record `caller`.
  std::vector<SourcePlace> sitesCalling(std::uint32_t caller, std::uint32_t name) const;
  /// Every direct call site of `name`, with its caller.
  std::vector<SiteOf> allSitesOf(std::string_view name) const;
  /// The number of call sites in the index.
  std::size_t siteCount() const { return siteCount_; }

 private:
  std::unique_ptr<FunctionTable> table_;
  std::unique_ptr<CallGraph> graph_;
  std::vector<const SourceFile*> fileOfRecord_;  // by record
  std::unordered_map<const SourceFile*, std::vector<std::uint32_t>> recordsOfFile_;
  std::size_t siteCount_ = 0;
};

}  // namespace quenwick
