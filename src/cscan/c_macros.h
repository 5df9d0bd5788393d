// What the C scan knows of the preprocessor symbols of one file: defined with a
// value, undefined, or not known at all.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quenwick {

/// The state of one symbol.
struct MacroState {
  /// Whether the symbol is defined.
  enum Kind : std::uint8_t {
    Unknown,    // nothing here says whether it is defined
    Undefined,  // #undef, -U, or a decided #ifndef without a #define
    Defined,    // #define or -D
  };
  Kind kind = Unknown;                // whether it is defined
  bool functionLike = false;          // NAME(params) replacement
  bool valueKnown = true;             // false: defined, with a value the scan cannot tell
  std::vector<std::string_view> params;  // the parameters of a function-like macro
  bool variadic = false;              // the last parameter is "..."
  bool fromSystem = false;            // defined by a header of the system's folders
  std::string_view body;              // the replacement text

  // The parameters and the replacement are views of texts that outlive the table:
  // the source being scanned, the configuration, the list of predefined macros.

  /// True when both states say the same.
  bool sameAs(const MacroState& other) const {
    return kind == other.kind && (kind != Defined || (functionLike == other.functionLike &&
                                                      valueKnown == other.valueKnown &&
                                                      params == other.params && body == other.body));
  }
};

/// A 64-bit digest of what `state` says: equal states have equal digests, and
/// different ones practically never do.
inline std::uint64_t digestOf(const MacroState& state) {
  // Each part's hash, with its length, mixed into the whole (the multiplier is
  // the 64-bit golden ratio): the standard hash reads a word at a time.
  std::uint64_t hash = static_cast<std::uint64_t>(state.kind) | (state.functionLike ? 0x10u : 0u) |
                       (state.valueKnown ? 0x20u : 0u) | (state.variadic ? 0x40u : 0u);
  auto mix = [&hash](std::string_view bytes) {
    hash = (hash ^ std::hash<std::string_view>{}(bytes)) * 0x9E3779B97F4A7C15ull + bytes.size();
  };
  if (state.kind != MacroState::Defined) return hash;
  for (std::string_view param : state.params) mix(param);
  mix(state.body);
  return hash;
}

/// Copies of texts that stay where they are while the arena lives, moved or not:
/// for symbols whose texts would otherwise die before the table that holds them.
class TextArena {
 public:
  /// A copy of `text` that lives as long as the arena.
  std::string_view keep(std::string_view text) {
    if (text.empty()) return std::string_view();
    if (text.size() > left_) {
      // Blocks grow from small (most tables keep a few texts) to kBlock.
      block_ = block_ == 0 ? kFirstBlock : std::min(block_ * 2, kBlock);
      const std::size_t size = std::max(text.size(), block_);
      blocks_.emplace_back(new char[size]);
      next_ = blocks_.back().get();
      left_ = size;
      lastSize_ = size;
    }
    char* copy = next_;
    text.copy(copy, text.size());
    next_ += text.size();
    left_ -= text.size();
    return std::string_view(copy, text.size());
  }
  /// Forgets every copy, keeping the last block for the next ones.
  void clear() {
    if (blocks_.empty()) return;
    blocks_.erase(blocks_.begin(), blocks_.end() - 1);
    next_ = blocks_.back().get();
    left_ = lastSize_;
  }
  /// `state` with its parameters and replacement copied into the arena.
  MacroState keep(const MacroState& state) {
    MacroState copy = state;
    for (std::string_view& param : copy.params) param = keep(param);
    copy.body = keep(copy.body);
    return copy;
  }

 private:
  static constexpr std::size_t kFirstBlock = 256;  // bytes of the first block
  static constexpr std::size_t kBlock = 16384;     // bytes of the largest ordinary block
  std::vector<std::unique_ptr<char[]>> blocks_;  // the copies
  std::size_t block_ = 0;                        // bytes of the last ordinary block
  char* next_ = nullptr;                         // where the next copy goes
  std::size_t left_ = 0;                         // bytes left after it in its block
  std::size_t lastSize_ = 0;                     // bytes of the last block
};

/// Names whose lookups a scan's tables note (`MacroTable::watchLookups`): a file
/// compiled in two configurations that differ in symbols it never looks up is
/// scanned once.
struct SymbolWatch {
  std::vector<std::string> names;       // the names watched
  std::vector<char> read;               // per name: some lookup asked for it

  /// Notes a lookup of `name`.
  void note(std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) read[i] = 1;
    }
  }
};

/// The macros GCC predefines (see c_predefined.h), read once.
const class MacroTable& gccPredefinedMacros();

/// The symbols of one file's scan.
class MacroTable {
 public:
  /// A table of its own, reading `base` for every name it says nothing of.
  explicit MacroTable(const MacroTable* base = nullptr)
      : base_(base), watch_(base != nullptr ? base->watch_ : nullptr) {}
  MacroTable(MacroTable&& other) noexcept = default;
  /// Takes `other`'s symbols. (The memory of the old ones goes with their table,
  /// not into this one.)
  MacroTable& operator=(MacroTable&& other) noexcept {
    if (this != &other) {
      this->~MacroTable();
      new (this) MacroTable(std::move(other));
    }
    return *this;
  }

  /// The state of `name`: this table's, else its base's; `unlisted()` when none
  /// says anything of it.
  const MacroState& find(std::string_view name) const {
    if (watch_ != nullptr) watch_->note(name);
    const MacroState* state = &unlisted_;
    const Name key = nameOf(name);  // hashed once for the whole chain
    for (const MacroTable* table = this; table != nullptr; table = table->base_) {
      // Most names a file looks up are no macro: the first filter answers for
      // the whole chain below it.
      if (!table->mayHold(key)) break;
      const Entry* found = table->entryOf(key);
      if (found != nullptr && found->present) {
        state = found->state;
        break;
      }
    }
    if (lookups_ != nullptr) lookups_->emplace_back(lookupTexts_->keep(name), digestOf(*state));
    return *state;
  }
  /// While `log` is set, notes every name `find` looks up with the digest of the
  /// state it found (what the reading of a header depended on), the name copied
  /// into `texts`; null stops it.
  void noteLookups(std::vector<std::pair<std::string_view, std::uint64_t>>* log, TextArena* texts) {
    lookups_ = log;
    lookupTexts_ = texts;
  }
  /// The state of `name` as this table says it, without its base.
  const MacroState& findOwn(std::string_view name) const {
    const Entry* found = entryOf(nameOf(name));
    return found != nullptr && found->present ? *found->state : unknown_;
  }
  /// Notes in `watch` (null: nowhere) every name this table and the tables made on
  /// it look up.
  void watchLookups(SymbolWatch* watch) { watch_ = watch; }
  /// Sets the state of `name`, which must outlive the table (a view of the source,
  /// the configuration or the list of predefined macros).
  void set(std::string_view name, MacroState state) {
    if (state.kind == MacroState::Defined && state.functionLike) functionLike_ = true;
    const Name key = nameOf(name);
    Entry* found = const_cast<Entry*>(entryOf(key));
    if (state.kind == MacroState::Unknown && base_ == nullptr) {
      // What nothing is said of is unknown.
      if (found != nullptr && found->present) {
        found->present = false;
        --present_;
      }
      return;
    }
    if (found != nullptr && found->owned) {
      *const_cast<MacroState*>(found->state) = std::move(state);  // one of `owned_`
      return put(key, found, found->state, true);
    }
    put(key, found, own(std::move(state)), true);
  }
  /// Sets the state of `name` to `*state` itself, not a copy: both must outlive
  /// the table (the effects of headers, which a file takes by the thousand).
  void setShared(std::string_view name, const MacroState* state) {
    if (state->kind == MacroState::Unknown && base_ == nullptr) return set(name, *state);
    if (state->kind == MacroState::Defined && state->functionLike) functionLike_ = true;
    const Name key = nameOf(name);
    put(key, const_cast<Entry*>(entryOf(key)), state, false);
  }
  /// Sets the state of `name` from copies of its texts that the table keeps: for
  /// a table that outlives the texts it was told of.
  void setCopy(std::string_view name, const MacroState& state) {
    if (!arena_) arena_ = std::make_unique<TextArena>();
    set(arena_->keep(name), arena_->keep(state));
  }
  /// The state of the names that neither this table nor its base list: Unknown,
  /// or for a file whose build is known Undefined, as the compiler has them.
  const MacroState& unlisted() const { return unlisted_; }
  /// Makes the names that nobody lists undefined (true) or unknown (false).
  void setUnlistedUndefined(bool undefined) {
    unlisted_.kind = undefined ? MacroState::Undefined : MacroState::Unknown;
  }
  /// The number of names this table itself holds.
  std::size_t ownSize() const { return present_; }
  /// One table holding what this one and its bases down to `stop` (not included)
  /// say, nearer ones first, with `stop` as its base, and copies of their texts:
  /// it depends on nothing but `stop`.
  MacroTable flattened(const MacroTable* stop) const {
    MacroTable flat(stop);  // notes no lookups
    flat.watch_ = nullptr;  // it is shared
    std::vector<const MacroTable*> chain;
    for (const MacroTable* table = this; table != nullptr && table != stop; table = table->base_) {
      chain.push_back(table);
    }
    for (auto table = chain.rbegin(); table != chain.rend(); ++table) {
      (*table)->forEach([&flat](std::string_view name, const MacroState& state) { flat.setCopy(name, state); });
    }
    flat.unlisted_ = unlisted_;
    return flat;
  }
  /// A table with this one's own symbols on the same base (their texts are this
  /// table's views), and names nobody lists undefined.
  MacroTable ownCopy() const {
    MacroTable copy(base_);
    copy.watch_ = watch_;
    if (filter_) {
      copy.filter_.reset(new std::uint64_t[kFilterWords]);
      std::memcpy(copy.filter_.get(), filter_.get(), kFilterWords * sizeof(std::uint64_t));
    }
    // Entry for entry, in the same places; the states of its own copied.
    for (std::size_t i = 0; i < entries_.count; ++i) {
      const Entry& entry = entries_.at(i);
      Entry& made = copy.entries_.add();
      made = entry;
      if (entry.owned) made.state = copy.own(*entry.state);
    }
    copy.present_ = present_;
    copy.slots_ = slots_;
    copy.functionLike_ = functionLike_;
    return copy;
  }
  /// The table this one reads for the names it says nothing of.
  const MacroTable* base() const { return base_; }
  /// False when no function-like macro was ever set here or in the base.
  bool mayHoldFunctionLike() const {
    return functionLike_ || (base_ != nullptr && base_->mayHoldFunctionLike());
  }

 private:
  /// A symbol's name with its hash, so that a lookup through a chain of tables
  /// hashes the name once.
  struct Name {
    std::string_view text;  // the name
    std::size_t hash;       // its hash
    bool operator==(const Name& other) const { return hash == other.hash && text == other.text; }
  };
  static Name nameOf(std::string_view text) { return Name{text, hashOf(text)}; }
  /// A hash of a symbol's name: eight bytes at a time, each word mixed in by a
  /// multiplication, and the whole mixed again so that its low bits place it.
  static std::size_t hashOf(std::string_view text) {
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ text.size();
    const char* p = text.data();
    std::size_t left = text.size();
    for (; left >= 8; p += 8, left -= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
      hash ^= hash >> 31;
    }
    if (left > 0) {
      std::uint64_t word = 0;
      std::memcpy(&word, p, left);
      hash = (hash ^ word) * 0x94D049BB133111EBull;
    }
    hash ^= hash >> 32;
    hash *= 0xD6E8FEB86659FD93ull;
    hash ^= hash >> 32;
    return static_cast<std::size_t>(hash);
  }
  /// Items in blocks of 16, 32, 64... that never move, so that the states `find`
  /// hands out stay where they are while the table grows.
  template <typename T>
  struct Blocks {
    static constexpr std::size_t kFirst = 16;
    std::vector<std::unique_ptr<T[]>> blocks;  // the items, in the order added
    std::size_t count = 0;                     // items added
    T& at(std::size_t index) const {
      const std::size_t block = static_cast<std::size_t>(std::bit_width(index / kFirst + 1)) - 1;
      return blocks[block][index - kFirst * ((std::size_t{1} << block) - 1)];
    }
    T& add() {
      if (count == kFirst * ((std::size_t{1} << blocks.size()) - 1)) {
        blocks.emplace_back(new T[kFirst << blocks.size()]);
      }
      return at(count++);
    }
  };
  /// One symbol the table says something of; `present` false: it said, then took
  /// it back (an entry keeps its place in `slots_`). Small, so that a probe reads
  /// little: the state is elsewhere.
  struct Entry {
    Name name;
    const MacroState* state = nullptr;  // one of `owned_`, or another's (`setShared`)
    bool owned = false;                 // `state` is one of `owned_`
    bool present = true;
  };
  /// False when neither this table nor one below it holds `key`; true when one
  /// may. A table with names of its own keeps a bit for each name of its own and of
  /// the tables below it, which never change while it lives (they are shared
  /// tables, or the tables of an outer scan that waits for this one).
  bool mayHold(const Name& key) const {
    if (!filter_) return true;
    const std::size_t bit = filterBit(key);
    return (filter_[bit / 64] >> (bit % 64) & 1) != 0;
  }
  static std::size_t filterBit(const Name& key) {
    return static_cast<std::size_t>(static_cast<std::uint64_t>(key.hash) >> 40) % (kFilterWords * 64);
  }
  /// Notes `key` in the filter, made at the first name from the filter of the
  /// nearest table below that has one.
  void addToFilter(const Name& key) {
    if (!filter_) {
      const MacroTable* below = base_;
      while (below != nullptr && !below->filter_) below = below->base_;
      if (below != nullptr) {
        filter_.reset(new std::uint64_t[kFilterWords]);
        std::memcpy(filter_.get(), below->filter_.get(), kFilterWords * sizeof(std::uint64_t));
      } else {
        filter_ = std::make_unique<std::uint64_t[]>(kFilterWords);  // zeroed
      }
    }
    const std::size_t bit = filterBit(key);
    filter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  /// The entry of `key`, present or not, or null.
  const Entry* entryOf(const Name& key) const {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(static_cast<std::uint64_t>(key.hash) >> 32);
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
      const std::uint64_t slot = slots_[i];
      if (slot == 0) return nullptr;
      if (static_cast<std::uint32_t>(slot >> 32) == tag) {
        const Entry& entry = entries_.at(static_cast<std::uint32_t>(slot) - 1);
        if (entry.name == key) return &entry;
      }
    }
  }
  /// A state of the table's own holding `state`.
  const MacroState* own(MacroState state) {
    MacroState& kept = owned_.add();
    kept = std::move(state);
    return &kept;
  }
  /// Gives `key` the state `state`, in its entry `found` or in a new one.
  void put(const Name& key, Entry* found, const MacroState* state, bool owned) {
    if (found == nullptr) return addEntry(key, state, owned);
    found->state = state;
    found->owned = owned;
    if (!found->present) {
      found->present = true;
      ++present_;
    }
  }
  /// Adds an entry for `key`, which has none.
  void addEntry(const Name& key, const MacroState* state, bool owned) {
    const std::size_t index = entries_.count;
    Entry& entry = entries_.add();
    entry.name = key;
    entry.state = state;
    entry.owned = owned;
    ++present_;
    addToFilter(key);
    if (entries_.count * 2 > slots_.size()) {
      // Half full at most: a miss ends at an empty slot soon.
      slots_.assign(std::max<std::size_t>(32, slots_.size() * 2), 0);
      for (std::size_t i = 0; i < entries_.count; ++i) placeSlot(i);
    } else {
      placeSlot(index);
    }
  }
  void placeSlot(std::size_t index) {
    const Name& name = entries_.at(index).name;
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = name.hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = (static_cast<std::uint64_t>(name.hash) >> 32 << 32) | (index + 1);
  }
  /// Calls `visit` with each symbol the table itself says something of.
  template <typename Visit>
  void forEach(Visit visit) const {
    for (std::size_t i = 0; i < entries_.count; ++i) {
      const Entry& entry = entries_.at(i);
      if (entry.present) visit(entry.name.text, *entry.state);
    }
  }

  static constexpr std::size_t kFilterWords = 512;  // 32 768 bits: a few thousand names fill an eighth
  Blocks<Entry> entries_;                        // the entries, in the order first set
  std::unique_ptr<std::uint64_t[]> filter_;      // the names here and below (see `mayHold`), once one is here
  Blocks<MacroState> owned_;                     // the states set with `set`
  std::size_t present_ = 0;                      // entries present
  std::vector<std::uint64_t> slots_;             // by hash: the tag (high half of the hash) and entry + 1; 0 is empty
  const MacroTable* base_;                              // what is said of the others, if anything
  SymbolWatch* watch_ = nullptr;                        // where the names looked up are noted, if anywhere
  bool functionLike_ = false;                           // a function-like macro was set
  MacroState unknown_;                                  // the state of names not in this table
  MacroState unlisted_;                                 // the state of names in no table of the chain
  std::unique_ptr<TextArena> arena_;                    // the texts of `setCopy`, if any
  std::vector<std::pair<std::string_view, std::uint64_t>>* lookups_ = nullptr;  // where lookups are noted (with the digest of what they found), if anywhere
  TextArena* lookupTexts_ = nullptr;  // where the names noted are kept
};

}  // namespace quenwick
