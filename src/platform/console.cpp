#include "platform/console.h"

#include "platform/ascii.h"

namespace quenwick {

bool isConsoleDevice(std::string_view name) {
  return equalsIgnoringAsciiCase(name, "CON");
}

}  // namespace quenwick
