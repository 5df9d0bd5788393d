// Letter case of ASCII bytes only: no locale, and bytes of 0x80 and above never change.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/byte_class.h"

namespace quenwick {

/// `c` with A-Z turned into a-z.
inline char asciiLower(char c) {
  return hasClass(c, kUpper) ? static_cast<char>(c + ('a' - 'A')) : c;
}
/// `c` with a-z turned into A-Z.
inline char asciiUpper(char c) {
  return hasClass(c, kLower) ? static_cast<char>(c - ('a' - 'A')) : c;
}

/// True when `a` and `b` are equal with A-Z taken as a-z.
inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace quenwick
