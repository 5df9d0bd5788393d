#include "driver/entry.h"

#include <unistd.h>

#include <cstdlib>
#include <new>

#include "config/texts.h"

namespace quenwick {

namespace {

// Memory set aside at start and given back when an allocation fails, so that the
// failure can still be thrown and reported: throwing needs a little memory too.
void* gReserve = nullptr;

void releaseReserve() {
  std::free(gReserve);
  gReserve = nullptr;
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

// Reports memory that ran out before the run could start; nothing is held yet,
// and a failed write has nowhere left to be reported.
int reportNoMemory() {
  std::string_view message = text(Text::HeapFull);
  [[maybe_unused]] ssize_t bell = ::write(2, "\a", 1);
  [[maybe_unused]] ssize_t written = ::write(2, message.data(), message.size());
  return 1;
}

}  // namespace

int runEntryPoint(int argc, char** argv, EntryBody body) {
  gReserve = std::malloc(64 * 1024);
  if (gReserve == nullptr) return reportNoMemory();
  std::set_new_handler(releaseReserve);
  struct Release {
    ~Release() { std::free(gReserve); }
  } release;
  try {
    selectTextEncoding(std::getenv("QUENWICK_ENCODING"));
    Console console;
    return body(argc, argv, console);
  } catch (const std::bad_alloc&) {
    return reportNoMemory();
  }
}

}  // namespace quenwick
