#include "tree/symbol_table.h"

#include <cstring>
#include <functional>
#include <new>

namespace quenwick {

namespace {
constexpr std::size_t kBlockSize = 1 << 16;
}  // namespace

std::uint64_t SymbolTable::hashOf(std::string_view name) {
  return std::hash<std::string_view>()(name);
}

// The slot holding `name`, or the free slot where it belongs (linear probing).
std::size_t SymbolTable::slotOf(std::string_view name, std::uint64_t hash) const {
  std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    std::uint32_t id = slots_[at];
    if (id == kNone || (hashes_[id] == hash && names_[id] == name)) return at;
  }
}

std::uint32_t SymbolTable::find(std::string_view name) const {
  if (slots_.empty()) return kNone;
  return slots_[slotOf(name, hashOf(name))];
}

std::uint32_t SymbolTable::intern(std::string_view name) {
  // Keep at most half of the slots in use, so probes stay short.
  if ((names_.size() + 1) * 2 > slots_.size()) grow();
  std::uint64_t hash = hashOf(name);
  std::size_t at = slotOf(name, hash);
  if (slots_[at] != kNone) return slots_[at];
  if (names_.size() >= kNone) throw std::bad_alloc();
  auto id = static_cast<std::uint32_t>(names_.size());
  names_.push_back(store(name));
  hashes_.push_back(hash);
  slots_[at] = id;
  return id;
}

void SymbolTable::clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  names_.clear();
  names_.shrink_to_fit();
  hashes_.clear();
  hashes_.shrink_to_fit();
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
  std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  slots_.assign(size, kNone);
  std::size_t mask = size - 1;
  for (std::uint32_t id = 0; id < names_.size(); ++id) {
    std::size_t at = hashes_[id] & mask;
    while (slots_[at] != kNone) at = (at + 1) & mask;
    slots_[at] = id;
  }
}

}  // namespace quenwick
