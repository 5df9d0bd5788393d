#include "shared/name_list.h"

#include <algorithm>
#include <utility>

namespace quenwick {

NameList::NameList(NameList&& other) noexcept
    : entries_(std::move(other.entries_)), alive_(other.alive_), index_(std::move(other.index_)) {
  other.entries_.clear();
  other.alive_ = 0;
}

NameList& NameList::operator=(NameList&& other) noexcept {
  if (this != &other) {
    entries_ = std::move(other.entries_);
    alive_ = other.alive_;
    index_ = std::move(other.index_);
    other.entries_.clear();
    other.alive_ = 0;
  }
  return *this;
}

void NameList::appendName(std::string_view name) {
  if (entries_.size() >= kNone) throw std::bad_alloc();
  entries_.push_back(Entry{std::string(name), kNone, true});
  ++alive_;
  if (index_) {
    linkIntoIndex(static_cast<std::uint32_t>(entries_.size() - 1));
  } else if (entries_.size() >= kIndexFrom) {
    rebuild();
  }
}

bool NameList::containsName(std::string_view name) const {
  if (index_) return index_->find(name) != index_->end();
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& entry) { return entry.name == name; });
}

bool NameList::removeName(std::string_view name) {
  if (!index_) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Entry& entry) { return entry.name == name; });
    if (found == entries_.end()) return false;
    entries_.erase(found);
    --alive_;
    return true;
  }
  auto found = index_->find(name);
  if (found == index_->end()) return false;
  Chain& chain = found->second;
  Entry& first = entries_[chain.head];
  first.alive = false;
  first.name = std::string();
  --alive_;
  if (--chain.count == 0) {
    index_->erase(found);
  } else {
    chain.head = first.nextSame;
  }
  // Removed entries are dropped once they outnumber the live ones.
  if (entries_.size() - alive_ > alive_ + kIndexFrom) rebuild();
  return true;
}

void NameList::freeNames() {
  entries_.clear();
  entries_.shrink_to_fit();
  alive_ = 0;
  index_.reset();
}

void NameList::linkIntoIndex(std::uint32_t at) {
  auto [it, inserted] = index_->try_emplace(entries_[at].name, Chain{at, at, 1});
  if (inserted) return;
  Chain& chain = it->second;
  entries_[chain.tail].nextSame = at;
  chain.tail = at;
  ++chain.count;
}

// Drops removed entries and builds the index anew.
void NameList::rebuild() {
  std::erase_if(entries_, [](const Entry& entry) { return !entry.alive; });
  index_ = std::make_unique<Index>();
  index_->reserve(entries_.size());
  for (std::uint32_t at = 0; at < entries_.size(); ++at) {
    entries_[at].nextSame = kNone;
    linkIntoIndex(at);
  }
}

}  // namespace quenwick
