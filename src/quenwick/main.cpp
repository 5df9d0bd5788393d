// Entry point: takes the arguments, wildcards expanded, chooses the text encoding and
// runs the program.
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "config/texts.h"
#include "driver/program.h"
#include "platform/command_line.h"

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
  std::string_view message = quenwick::text(quenwick::Text::HeapFull);
  [[maybe_unused]] ssize_t bell = ::write(2, "\a", 1);
  [[maybe_unused]] ssize_t text = ::write(2, message.data(), message.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quenwick;
  gReserve = std::malloc(64 * 1024);
  if (gReserve == nullptr) return reportNoMemory();
  std::set_new_handler(releaseReserve);
  struct Release {
    ~Release() { std::free(gReserve); }
  } release;
  try {
    selectTextEncoding(std::getenv("QUENWICK_ENCODING"));
    std::vector<std::string> args = programArguments(argc, argv);
    Console console;
    Program program(console);
    return program.main(args);
  } catch (const std::bad_alloc&) {
    return reportNoMemory();
  }
}
