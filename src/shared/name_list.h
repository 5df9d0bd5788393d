// The container of the names that the scan and the tree look up: the exclusion
// lists and the defined preprocessor symbols.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quenwick {

/// Names in insertion order, duplicates kept, compared as exact bytes. Short lists
/// are searched directly; a list that grows gets an index by name, so lookups and
/// removals stay fast on lists of any length while every result stays the same.
class NameList {
  struct Entry {
    std::string name;        // the name's bytes
    std::uint32_t nextSame;  // next entry with the same name (indexed lists only)
    bool alive;              // false once removed (indexed lists only)
  };

 public:
  NameList() = default;
  /// Takes the entries of `other`, which is left empty.
  NameList(NameList&& other) noexcept;
  NameList& operator=(NameList&& other) noexcept;

  /// Appends a copy of `name` as the new last entry.
  void appendName(std::string_view name);
  /// True when some entry equals `name` byte for byte.
  bool containsName(std::string_view name) const;
  /// Unlinks the first entry equal to `name`; true when there was one. Later equal
  /// entries stay.
  bool removeName(std::string_view name);
  /// Removes every entry.
  void freeNames();

  /// The number of entries.
  std::size_t size() const { return alive_; }
  /// True when there is no entry.
  bool empty() const { return alive_ == 0; }

  /// Walks the entries in order.
  class Iterator {
   public:
    Iterator(const NameList* list, std::size_t at) : list_(list), at_(list->skipRemoved(at)) {}
    const std::string& operator*() const { return list_->entries_[at_].name; }
    Iterator& operator++() {
      at_ = list_->skipRemoved(at_ + 1);
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const NameList* list_;
    std::size_t at_;
  };
  /// The first entry.
  Iterator begin() const { return Iterator(this, 0); }
  /// Past the last entry.
  Iterator end() const { return Iterator(this, entries_.size()); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  struct Chain {
    std::uint32_t head;   // first live entry with the name
    std::uint32_t tail;   // last live entry with the name
    std::uint32_t count;  // live entries with the name
  };
  using Index = std::unordered_map<std::string, Chain, Hash, std::equal_to<>>;

  static constexpr std::size_t kIndexFrom = 16;
  static constexpr std::uint32_t kNone = UINT32_MAX;

  std::size_t skipRemoved(std::size_t at) const {
    while (at < entries_.size() && !entries_[at].alive) ++at;
    return at;
  }
  void linkIntoIndex(std::uint32_t at);
  void rebuild();

  std::vector<Entry> entries_;    // the names in order, with removed ones in indexed lists
  std::size_t alive_ = 0;         // entries not removed
  std::unique_ptr<Index> index_;  // by name, once the list is long enough
};

}  // namespace quenwick
