// Entry point: expands wildcards, chooses the text encoding and runs the program.
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "config/texts.h"
#include "driver/program.h"
#include "platform/wildcard.h"

int main(int argc, char** argv) {
  using namespace quenwick;
  try {
    selectTextEncoding(std::getenv("QUENWICK_ENCODING"));
    std::vector<std::string> args;
    if (argc > 0) args.emplace_back(argv[0]);
    std::vector<std::string> rest(argv + (argc > 0 ? 1 : 0), argv + argc);
    for (std::string& argument : expandWildcards(rest)) args.push_back(std::move(argument));
    Console console;
    Program program(console);
    return program.main(args);
  } catch (const std::bad_alloc&) {
    // Memory ran out before the run could start: nothing is held yet.
    std::string_view message = text(Text::HeapFull);
    if (::write(2, "\a", 1) < 0 || ::write(2, message.data(), message.size()) < 0) return 1;
    return 1;
  }
}
