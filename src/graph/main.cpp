// quenwick-graph's entry point: its own options, then the driver with the rest.
#include <string>
#include <vector>

#include "driver/entry.h"
#include "graph/graph_options.h"
#include "graph/graph_program.h"
#include "platform/command_line.h"

namespace {

int runGraph(int argc, char** argv, quenwick::Console& console) {
  using namespace quenwick;
  // The options are read as typed first, to know where the arguments start: those
  // get their wildcards expanded, and the whole is read again from there.
  GraphOptions options;
  std::vector<std::string> typed(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!parseGraphOptions(typed, options, console)) return 2;
  return runGraphProgram(programArguments(argc, argv, options.optionCount), console);
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runGraph);
}
