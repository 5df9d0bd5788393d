// Byte classes of the scanner, from one lookup table: results never depend on the
// locale, and bytes of 0x80 and above belong to no class.
#pragma once

#include <array>
#include <climits>
#include <cstdint>

namespace quenwick {

/// Class bits of a byte.
enum ByteClass : std::uint8_t {
  kWordStart = 1 << 0,    // A-Z a-z _
  kWordChar = 1 << 1,     // A-Z a-z _ 0-9
  kDigit = 1 << 2,        // 0-9
  kReaderBlank = 1 << 3,  // blanks skipped between words: 9 10 11 12 32 (not CR)
  kTrimBlank = 1 << 4,    // blanks trimmed from texts: 9 to 13 and 32
  kLexSpecial = 1 << 5,   // bytes that start a literal, comment or directive: " ' / #
  kPlainCode = 1 << 6,    // bytes that pass through every layer unchanged: no word start,
                          // no literal, comment or directive start, no brace
};

namespace detail {
constexpr std::array<std::uint8_t, 256> makeByteClasses() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kWordStart | kWordChar;
  for (int c = 'a'; c <= 'z'; ++c) table[c] |= kWordStart | kWordChar;
  table['_'] |= kWordStart | kWordChar;
  for (int c = '0'; c <= '9'; ++c) table[c] |= kWordChar | kDigit;
  for (int c : {9, 10, 11, 12, 32}) table[c] |= kReaderBlank;
  for (int c : {9, 10, 11, 12, 13, 32}) table[c] |= kTrimBlank;
  for (int c : {'"', '\'', '/', '#'}) table[c] |= kLexSpecial;
  for (int c = 0; c < 256; ++c) {
    if (!(table[c] & (kWordStart | kLexSpecial)) && c != '{' && c != '}') table[c] |= kPlainCode;
  }
  return table;
}
inline constexpr std::array<std::uint8_t, 256> kByteClasses = makeByteClasses();
}  // namespace detail

/// True when `c` (a byte 0..255, or -1 for the end of a file) is in `cls`.
inline bool hasClass(int c, ByteClass cls) {
  return c >= 0 && c < 256 && (detail::kByteClasses[c] & cls) != 0;
}

/// Adds 1, holding at the largest int instead of overflowing.
inline void saturatingIncrement(int& value) {
  if (value != INT_MAX) ++value;
}
/// Subtracts 1, holding at the smallest int instead of overflowing.
inline void saturatingDecrement(int& value) {
  if (value != INT_MIN) --value;
}

}  // namespace quenwick
