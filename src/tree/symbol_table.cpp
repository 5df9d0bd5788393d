#include "tree/symbol_table.h"

#include <cstring>
#include <functional>
#include <new>

namespace quenwick {

namespace {
constexpr std::size_t kBlockSize = 1 << 16;
}  // namespace

namespace {

constexpr std::uint64_t kFree = 0;

std::uint64_t makeSlot(std::uint32_t hash, std::uint32_t id) {
  return (static_cast<std::uint64_t>(hash) << 32) | (static_cast<std::uint64_t>(id) + 1);
}
std::uint32_t slotHash(std::uint64_t slot) {
  return static_cast<std::uint32_t>(slot >> 32);
}
std::uint32_t slotId(std::uint64_t slot) {
  return static_cast<std::uint32_t>(slot) - 1;
}

}  // namespace

std::uint32_t SymbolTable::hashOf(std::string_view name) {
  std::uint64_t hash = std::hash<std::string_view>()(name);
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// The slot holding `name`, or the free slot where it belongs (linear probing).
std::size_t SymbolTable::slotOf(std::string_view name, std::uint32_t hash) const {
  std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    std::uint64_t slot = slots_[at];
    if (slot == kFree || (slotHash(slot) == hash && names_[slotId(slot)] == name)) return at;
  }
}

std::uint32_t SymbolTable::find(std::string_view name) const {
  if (slots_.empty()) return kNone;
  std::uint64_t slot = slots_[slotOf(name, hashOf(name))];
  return slot == kFree ? kNone : slotId(slot);
}

std::uint32_t SymbolTable::intern(std::string_view name) {
  // Keep at most half of the slots in use, so probes stay short.
  if ((names_.size() + 1) * 2 > slots_.size()) grow();
  std::uint32_t hash = hashOf(name);
  std::size_t at = slotOf(name, hash);
  if (slots_[at] != kFree) return slotId(slots_[at]);
  if (names_.size() >= kNone - 1) throw std::bad_alloc();
  auto id = static_cast<std::uint32_t>(names_.size());
  names_.push_back(store(name));
  slots_[at] = makeSlot(hash, id);
  return id;
}

void SymbolTable::clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  names_.clear();
  names_.shrink_to_fit();
  blocks_.clear();
  blockFree_ = 0;
  blockNext_ = nullptr;
}

// Copies the text into the blocks; a text longer than a block gets one of its own.
std::string_view SymbolTable::store(std::string_view name) {
  if (name.size() > blockFree_) {
    std::size_t size = name.size() > kBlockSize / 4 ? name.size() : kBlockSize;
    blocks_.emplace_back(new char[size == 0 ? 1 : size]);
    if (size == kBlockSize) {
      blockNext_ = blocks_.back().get();
      blockFree_ = kBlockSize;
    } else {
      std::memcpy(blocks_.back().get(), name.data(), name.size());
      return std::string_view(blocks_.back().get(), name.size());
    }
  }
  if (!name.empty()) std::memcpy(blockNext_, name.data(), name.size());
  std::string_view stored(blockNext_, name.size());
  blockNext_ += name.size();
  blockFree_ -= name.size();
  return stored;
}

void SymbolTable::grow() {
  std::vector<std::uint64_t> old(slots_.empty() ? 1024 : slots_.size() * 2, kFree);
  old.swap(slots_);
  std::size_t mask = slots_.size() - 1;
  for (std::uint64_t slot : old) {
    if (slot == kFree) continue;
    std::size_t at = slotHash(slot) & mask;
    while (slots_[at] != kFree) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace quenwick
