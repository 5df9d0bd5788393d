#include "cscan/c_words.h"

#include <algorithm>
#include <array>

#include "platform/byte_class.h"

namespace quenwick {

namespace {

// Sorted, for binary search.
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

template <std::size_t N>
bool holds(const std::array<std::string_view, N>& words, std::string_view word) {
  return std::binary_search(words.begin(), words.end(), word);
}

template <std::size_t N>
constexpr bool isSorted(const std::array<std::string_view, N>& words) {
  for (std::size_t i = 1; i < N; ++i) {
    if (!(words[i - 1] < words[i])) return false;
  }
  return true;
}

static_assert(isSorted(kNotCallable) && isSorted(kDeclarationWords) && isSorted(kKeywords) &&
              isSorted(kAttributeWords));

}  // namespace

bool isNotCallable(std::string_view word) {
  return holds(kNotCallable, word);
}

bool isDeclarationWord(std::string_view word) {
  return holds(kDeclarationWords, word);
}

bool isKeyword(std::string_view word) {
  return holds(kKeywords, word);
}

bool isAttributeWord(std::string_view word) {
  return holds(kAttributeWords, word);
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
