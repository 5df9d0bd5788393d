// The calls of every definition resolved once, and their transpose: who calls whom.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tree/function_table.h"

namespace quenwick {

/// One entry of a callee list, resolved as the tree resolves it.
struct Call {
  std::uint32_t name = 0;        // the callee's name key
  int count = 0;                 // candidate definitions: 0 none, 1 one, more: several
  std::uint32_t definition = 0;  // index of the earliest candidate (when `count` > 0)
};

/// The resolved calls of every record of a table, in call order, and the callers of
/// every record. A caller of R is a record one of whose calls resolves to R alone
/// (count 1): the callers are exactly the transpose of those calls. Built once the
/// table is complete (after -N pruning); the table must not change afterwards.
class CallGraph {
 public:
  /// Resolves every call of `table`.
  explicit CallGraph(FunctionTable& table);

  /// The table the graph was built from.
  FunctionTable& table() const { return table_; }
  /// The calls of the record at `index`, in the order of its callee list.
  std::span<const Call> calls(std::uint32_t index) const {
    return {calls_.data() + callBegin_[index], callBegin_[index + 1] - callBegin_[index]};
  }
  /// The records whose calls resolve to the record at `index` alone, in table order.
  std::span<const std::uint32_t> callers(std::uint32_t index) const {
    return {callers_.data() + callerBegin_[index], callerBegin_[index + 1] - callerBegin_[index]};
  }
  /// The records named by the key `name`, in table order.
  std::span<const std::uint32_t> definitions(std::uint32_t name) const {
    return {byName_.data() + nameBegin_[name], nameBegin_[name + 1] - nameBegin_[name]};
  }
  /// The number of records.
  std::uint32_t size() const { return static_cast<std::uint32_t>(callBegin_.size() - 1); }

  /// Marks every record from which a chain of resolved calls leads to a record
  /// marked in `targets` (those included).
  std::vector<bool> reaching(const std::vector<bool>& targets) const;
  /// Marks every record that a chain of resolved calls leads back to: the records
  /// in a cycle, a record that calls itself included.
  std::vector<bool> recursive() const;
  /// The length of the shortest chain of resolved calls from a record of `from` to
  /// each record, following calls (`upwards` false) or callers (`upwards` true);
  /// UINT32_MAX for a record that no chain reaches.
  std::vector<std::uint32_t> distances(const std::vector<std::uint32_t>& from, bool upwards) const;

 private:
  FunctionTable& table_;
  std::vector<Call> calls_;               // the calls of all records, record by record
  std::vector<std::size_t> callBegin_;    // first call of each record; one more at the end
  std::vector<std::uint32_t> callers_;    // the callers of all records, record by record
  std::vector<std::size_t> callerBegin_;  // first caller of each record; one more at the end
  std::vector<std::uint32_t> byName_;     // the records of all names, name by name
  std::vector<std::size_t> nameBegin_;    // first record of each name key; one more at the end
};

}  // namespace quenwick
