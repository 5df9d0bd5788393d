#include "platform/console.h"

#include "platform/ascii.h"

namespace quenwick {

bool isConsoleDevice(std::string_view name) {
  return equalsIgnoringAsciiCase(name, "CON");
}

bool openConsoleDevice(OutStream& stream) {
#ifdef _WIN32
  return stream.openFile("CON");
#else
  (void)stream;
  return false;
#endif
}

}  // namespace quenwick
