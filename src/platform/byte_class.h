// Byte classes, from one lookup table: results never depend on the locale, and
// bytes of 0x80 and above belong to no class. Every test of a byte's kind in the
// program goes through this table.
#pragma once

#include <array>
#include <cstdint>

namespace quenwick {

/// Class bits of a byte.
enum ByteClass : std::uint16_t {
  kWordStart = 1 << 0,    // A-Z a-z _
  kWordChar = 1 << 1,     // A-Z a-z _ 0-9
  kDigit = 1 << 2,        // 0-9
  kReaderBlank = 1 << 3,  // blanks skipped between words: 9 10 11 12 32 (not CR)
  kSpace = 1 << 4,        // white space of formatted input and of trimming: 9 to 13 and 32
  kLexSpecial = 1 << 5,   // bytes that start a literal, comment or directive: " ' / #
  kPlainCode = 1 << 6,    // bytes that pass through every layer unchanged: no word start,
                          // no literal, comment or directive start, no brace
  kCodeBlank = 1 << 7,    // blanks between a name and its "(": every byte up to 32
  kUpper = 1 << 8,        // A-Z
  kLower = 1 << 9,        // a-z
  kPrintable = 1 << 10,   // printable ASCII: 32 to 126
  kAscii = 1 << 11,       // every byte below 128
  kLineBlank = 1 << 12,   // blanks inside a line of C: 9 11 12 13 32 (no line feed)
  kLineStop = 1 << 13,    // bytes that end a run of a C line's plain text: NUL, line feed, " ' /
};

namespace detail {
constexpr std::array<std::uint16_t, 256> makeByteClasses() {
  std::array<std::uint16_t, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kWordStart | kWordChar | kUpper;
  for (int c = 'a'; c <= 'z'; ++c) table[c] |= kWordStart | kWordChar | kLower;
  table['_'] |= kWordStart | kWordChar;
  for (int c = '0'; c <= '9'; ++c) table[c] |= kWordChar | kDigit;
  for (int c : {9, 10, 11, 12, 32}) table[c] |= kReaderBlank;
  for (int c : {9, 10, 11, 12, 13, 32}) table[c] |= kSpace;
  for (int c : {'"', '\'', '/', '#'}) table[c] |= kLexSpecial;
  for (int c = 0; c <= 32; ++c) table[c] |= kCodeBlank;
  for (int c = 32; c <= 126; ++c) table[c] |= kPrintable;
  for (int c = 0; c < 128; ++c) table[c] |= kAscii;
  for (int c : {9, 11, 12, 13, 32}) table[c] |= kLineBlank;
  for (int c : {'\0', '\n', '"', '\'', '/'}) table[c] |= kLineStop;
  for (int c = 0; c < 256; ++c) {
    if (!(table[c] & (kWordStart | kLexSpecial)) && c != '{' && c != '}') table[c] |= kPlainCode;
  }
  return table;
}
inline constexpr std::array<std::uint16_t, 256> kByteClasses = makeByteClasses();
}  // namespace detail

/// True when `c` (a byte 0..255, or -1 for the end of a file) is in `cls`.
inline bool hasClass(int c, ByteClass cls) {
  return c >= 0 && c < 256 && (detail::kByteClasses[c] & cls) != 0;
}

/// True when the byte `c` is in `cls`.
inline bool hasClass(char c, ByteClass cls) {
  return (detail::kByteClasses[static_cast<unsigned char>(c)] & cls) != 0;
}

}  // namespace quenwick
