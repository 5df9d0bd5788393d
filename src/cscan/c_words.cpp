#include "cscan/c_words.h"

#include <array>
#include <cstdint>

#include "platform/byte_class.h"

namespace quenwick {

namespace {

// The words of each set.
constexpr std::array kNotCallable = std::to_array<std::string_view>({
    "_Alignas", "_Alignof", "_Atomic", "_Generic", "_Pragma", "_Static_assert", "__alignof",
    "__alignof__", "__asm", "__asm__", "__attribute", "__attribute__", "__builtin_offsetof",
    "__builtin_types_compatible_p", "__builtin_va_arg", "__declspec", "__extension__",
    "__typeof", "__typeof__", "__volatile__", "_alignof", "alignas", "alignof", "asm", "auto",
    "bool", "case", "char", "const", "defined", "do", "double", "else", "enum", "extern",
    "float", "for", "goto", "if", "inline", "int", "long", "register", "restrict", "return",
    "short", "signed", "sizeof", "static", "static_assert", "struct", "switch", "typedef",
    "typeof", "typeof_unqual", "union", "unsigned", "void", "volatile", "while",
});

constexpr std::array kDeclarationWords = std::to_array<std::string_view>({
    "_Atomic", "_Bool", "_Complex", "_Noreturn", "_Thread_local", "__const", "__const__",
    "__inline", "__inline__", "__restrict", "__restrict__", "__signed", "__signed__",
    "__thread", "__volatile", "__volatile__", "auto", "bool", "char", "const", "double",
    "enum", "extern", "float", "inline", "int", "long", "register", "restrict", "short",
    "signed", "static", "struct", "thread_local", "typedef", "union", "unsigned", "void",
    "volatile",
});

constexpr std::array kKeywords = std::to_array<std::string_view>({
    "_Alignas", "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128",
    "_Decimal32", "_Decimal64", "_Generic", "_Imaginary", "_Noreturn", "_Static_assert",
    "_Thread_local", "__asm", "__asm__", "__attribute", "__attribute__", "__const",
    "__const__", "__extension__", "__inline", "__inline__", "__restrict", "__restrict__",
    "__signed", "__signed__", "__thread", "__typeof", "__typeof__", "__volatile",
    "__volatile__", "alignas", "alignof", "asm", "auto", "bool", "break", "case", "char",
    "const", "constexpr", "continue", "default", "do", "double", "else", "enum", "extern",
    "false", "float", "for", "goto", "if", "inline", "int", "long", "nullptr", "register",
    "restrict", "return", "short", "signed", "sizeof", "static", "static_assert", "struct",
    "switch", "thread_local", "true", "typedef", "typeof", "typeof_unqual", "union",
    "unsigned", "void", "volatile", "while",
});

constexpr std::array kAttributeWords = std::to_array<std::string_view>({
    "_Alignas", "_Pragma", "__asm", "__asm__", "__attribute", "__attribute__", "__declspec",
    "alignas", "asm",
});

/// Which sets a word belongs to.
enum WordSet : std::uint8_t {
  kNotCallableSet = 1 << 0,
  kDeclarationSet = 1 << 1,
  kKeywordSet = 1 << 2,
  kAttributeSet = 1 << 3,
};

/// One word of the table with its sets; an empty word is a free slot.
struct WordEntry {
  std::string_view word;
  std::uint8_t sets = 0;
};

constexpr std::size_t kSlots = 512;  // a power of two, well over twice the words

constexpr std::uint32_t hashOf(std::string_view word) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : word) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

template <std::size_t N>
constexpr void addSet(std::array<WordEntry, kSlots>& table, const std::array<std::string_view, N>& words,
                      std::uint8_t set) {
  for (std::string_view word : words) {
    std::size_t slot = hashOf(word) & (kSlots - 1);
    while (!table[slot].word.empty() && table[slot].word != word) slot = (slot + 1) & (kSlots - 1);
    table[slot].word = word;
    table[slot].sets |= set;
  }
}

// Every word of the four sets, in one open-addressing table built at compile time.
constexpr std::array<WordEntry, kSlots> makeWordTable() {
  std::array<WordEntry, kSlots> table{};
  addSet(table, kNotCallable, kNotCallableSet);
  addSet(table, kDeclarationWords, kDeclarationSet);
  addSet(table, kKeywords, kKeywordSet);
  addSet(table, kAttributeWords, kAttributeSet);
  return table;
}

constexpr std::array<WordEntry, kSlots> kWordTable = makeWordTable();
constexpr std::size_t kLongestWord = 28;  // __builtin_types_compatible_p

// By length, the first bytes that some word of the table has: most names are
// turned away here without a hash.
constexpr std::array<std::array<bool, 128>, kLongestWord + 1> makeFirstBytes() {
  std::array<std::array<bool, 128>, kLongestWord + 1> first{};
  for (const WordEntry& entry : kWordTable) {
    if (!entry.word.empty()) first[entry.word.size()][static_cast<unsigned char>(entry.word[0])] = true;
  }
  return first;
}

constexpr auto kFirstBytes = makeFirstBytes();

std::uint8_t setsOf(std::string_view word) {
  if (word.size() < 2 || word.size() > kLongestWord) return 0;
  const auto first = static_cast<unsigned char>(word[0]);
  if (first >= 128 || !kFirstBytes[word.size()][first]) return 0;
  std::size_t slot = hashOf(word) & (kSlots - 1);
  while (!kWordTable[slot].word.empty()) {
    if (kWordTable[slot].word == word) return kWordTable[slot].sets;
    slot = (slot + 1) & (kSlots - 1);
  }
  return 0;
}

}  // namespace

bool isNotCallable(std::string_view word) {
  return (setsOf(word) & kNotCallableSet) != 0;
}

bool isDeclarationWord(std::string_view word) {
  return (setsOf(word) & kDeclarationSet) != 0;
}

bool isKeyword(std::string_view word) {
  return (setsOf(word) & kKeywordSet) != 0;
}

bool isAttributeWord(std::string_view word) {
  return (setsOf(word) & kAttributeSet) != 0;
}

bool holdsNoCalls(std::string_view word) {
  return isAttributeWord(word) || word == "typeof" || word == "__typeof__" ||
         word == "__typeof" || word == "typeof_unqual" || word == "_Static_assert" ||
         word == "static_assert" || word == "sizeof" || word == "_Alignof" || word == "alignof" ||
         word == "__alignof__";
}

bool looksLikeAnnotation(std::string_view word) {
  if (word.size() > 2 && word[0] == '_' && word[1] == '_') return true;
  bool capital = false;
  for (char c : word) {
    if (hasClass(c, kUpper)) {
      capital = true;
    } else if (!hasClass(c, kDigit) && c != '_') {
      return false;
    }
  }
  return capital;
}

}  // namespace quenwick
