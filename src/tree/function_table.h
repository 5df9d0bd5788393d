// The function table: one record per definition found, in the order found, with
// the names each body calls, and the resolution of called names to definitions.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "driver/name_list.h"

namespace quenwick {

/// One function definition.
struct FuncRecord {
  std::string_view name;               // the function's name (held by the table)
  std::string_view filename;           // the source file's name as given (held by the table)
  std::optional<std::string> comment;  // the caption; absent when captions were off
  int lines = 0;                       // line of the definition's name
  bool called = false;                 // some callee list holds this name
  bool expanded = false;               // the tree printer has printed this subtree
  NameList Sons;                       // names called in the body, each once, in order
  std::uint32_t index = 0;             // position in the table
  std::uint32_t nameId = 0;            // the table's key of `name`
  std::uint32_t fileId = 0;            // the table's key of `filename`
};

/// The records of all scanned files in the order found. One name may have several
/// records. Lookups by name and by name and file go through indexes, so that no
/// operation walks the whole table for one name.
class FunctionTable {
 public:
  FunctionTable() = default;
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  /// A new record for `name` in `file` at `line`, not yet in the table. It keeps a
  /// copy of `caption` when `showComments` is on and a caption is given. Raises
  /// `maxFileNameLen` and `maxLineNo`.
  FuncRecord createFuncRecord(std::string_view name, std::string_view file, int line,
                              const std::string* caption, bool showComments);
  /// Links `record` after the last record and returns it in its place.
  FuncRecord& appendFuncRecord(FuncRecord&& record);
  /// Appends `callee` to the record's callee list (the caller has made the
  /// duplicate and exclusion tests). Returns 1.
  static int addCallee(FuncRecord& record, std::string_view callee);

  /// The number of candidate definitions of `callee` for a caller in `callerFile`:
  /// those in the caller's own file when there is any, else those in all other
  /// files. The earliest candidate goes to `definition` (null when there is none).
  int resolveCallee(std::string_view callee, std::string_view callerFile,
                    FuncRecord*& definition);
  /// The same for a caller given by its record.
  int resolveCallee(std::string_view callee, const FuncRecord& caller, FuncRecord*& definition);
  /// Sets `called` on every record whose name stands in any callee list.
  void markCalled();
  /// Clears `expanded` on every record.
  void clearExpanded();
  /// Removes from every callee list the names that have no definition anywhere.
  void pruneUndefinedCallees();
  /// Frees every record; the table is empty afterwards (the maxima stay).
  void freeFunctionTable();

  /// The records in table order.
  std::deque<FuncRecord>& records() { return records_; }
  /// The records in table order.
  const std::deque<FuncRecord>& records() const { return records_; }

  unsigned maxFileNameLen = 6;  // longest file name of any record, at least 6
  int maxLineNo = 0;            // largest line of any record

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  template <typename Value>
  using ByText = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;
  struct Group {
    std::uint32_t first = 0;  // earliest record of the group
    std::uint32_t count = 0;  // records in the group
  };
  struct NameEntry {
    std::uint32_t id;  // key of the name
    Group all;         // every record with the name
  };

  static std::uint64_t nameFileKey(std::uint32_t nameId, std::uint32_t fileId) {
    return (static_cast<std::uint64_t>(nameId) << 32) | fileId;
  }
  ByText<NameEntry>::value_type& internName(std::string_view name);
  const std::string& internFile(std::string_view file, std::uint32_t& id);
  int resolveIn(const NameEntry& entry, std::uint32_t callerFileId, FuncRecord*& definition);

  std::deque<FuncRecord> records_;                           // the table, in order
  ByText<NameEntry> names_;                                  // every name ever created
  ByText<std::uint32_t> files_;                              // every file name ever created
  std::vector<ByText<NameEntry>::value_type*> nameById_;     // the entries of `names_` by key
  std::vector<const std::string*> fileById_;                 // the texts of `files_` by key
  std::unordered_map<std::uint64_t, Group> byNameAndFile_;   // records by name and file
};

}  // namespace quenwick
