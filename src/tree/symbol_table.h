// Interned names: every function name and callee name of the run, each stored once
// and known by a small integer key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace quenwick {

/// Names stored once each, with open-addressing lookup. Keys count up from 0 in
/// the order names are first met; the text of a key never moves.
class SymbolTable {
 public:
  /// The key that stands for "no such name".
  static constexpr std::uint32_t kNone = UINT32_MAX;

  /// The key of `name`, storing the name first when it is new.
  std::uint32_t intern(std::string_view name);
  /// The key of `name`, or `kNone` when it was never stored.
  std::uint32_t find(std::string_view name) const;
  /// The text of `id`.
  std::string_view name(std::uint32_t id) const { return names_[id]; }
  /// The number of names stored.
  std::size_t size() const { return names_.size(); }
  /// Forgets every name.
  void clear();

 private:
  static std::uint32_t hashOf(std::string_view name);
  std::size_t slotOf(std::string_view name, std::uint32_t hash) const;
  std::string_view store(std::string_view name);
  void grow();

  // Keys by hash position, each with its name's hash in the upper half, so that a
  // probe compares texts only when the hashes agree; 0 is a free slot.
  std::vector<std::uint64_t> slots_;
  std::vector<std::string_view> names_;          // text of each key, held by `blocks_`
  std::vector<std::unique_ptr<char[]>> blocks_;  // storage of the texts
  std::size_t blockFree_ = 0;                    // bytes left in the last block
  char* blockNext_ = nullptr;                    // next free byte of the last block
};

}  // namespace quenwick
