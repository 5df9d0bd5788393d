#include "platform/console.h"

namespace quenwick {

bool isConsoleDevice(std::string_view name) {
  if (name.size() != 3) return false;
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return upper(name[0]) == 'C' && upper(name[1]) == 'O' && upper(name[2]) == 'N';
}

}  // namespace quenwick
