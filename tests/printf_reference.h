// C's own formatted output, the reference for the program's template formatter.
#pragma once

#include <cstdio>
#include <string>

namespace quenwick {

/// What C's printf writes for `format` with `args`.
template <typename... Args>
std::string printfOf(const std::string& format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format.c_str(), args...);
  if (size < 0) return "<printf failed>";
  std::string out(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), args...);
  out.pop_back();
  return out;
}

}  // namespace quenwick
