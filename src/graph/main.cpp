// quenwick-graph's entry point: its own options, then the driver with the rest.
#include <string>
#include <vector>

#include "config/texts.h"
#include "driver/entry.h"
#include "driver/program.h"
#include "graph/graph_options.h"
#include "graph/graph_output.h"
#include "platform/wildcard.h"

namespace {

int runGraph(const std::vector<std::string>& typed, quenwick::Console& console) {
  using namespace quenwick;
  GraphOptions options;
  std::vector<std::string> rest(typed.begin() + (typed.empty() ? 0 : 1), typed.end());
  if (!parseGraphOptions(rest, options, console)) return 2;
  if (options.help || options.version) {
    console.out.write(text(options.help ? Text::GraphUsage : Text::GraphVersion));
    console.out.flush();
    return console.out.failed() ? 1 : 0;
  }
  std::vector<std::string> args;
  args.push_back(typed.empty() ? std::string() : typed[0]);
  for (std::string& argument : expandWildcards(options.arguments)) {
    args.push_back(std::move(argument));
  }
  FrontEnd frontEnd;
  frontEnd.banner = false;
  frontEnd.slashIsPath = true;
  frontEnd.directoriesExpand = true;
  // Only quenwick's own tree shares standard output with the driver's -V trace and
  // #elif lines, as quenwick's does; any other output has it to itself, and those
  // lines go to standard error.
  if (GraphOutput::isPlainTree(options)) {
    Program program(console, frontEnd);
    GraphOutput output(options, console.out);
    return program.main(args, output);
  }
  Console traced(2, 2, true);
  Program program(traced, frontEnd);
  GraphOutput output(options, console.out);
  return program.main(args, output);
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runGraph);
}
