// quenwick-graph's entry point: its own options, then the driver with the rest.
#include <string>
#include <vector>

#include "config/texts.h"
#include "driver/entry.h"
#include "driver/program.h"
#include "graph/graph_options.h"
#include "graph/graph_output.h"
#include "platform/command_line.h"

namespace {

int runGraph(int argc, char** argv, quenwick::Console& console) {
  using namespace quenwick;
  GraphOptions options;
  std::vector<std::string> typed(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!parseGraphOptions(typed, options, console)) return 2;
  if (options.help || options.version) {
    console.out.write(text(options.help ? Text::GraphUsage : Text::GraphVersion));
    console.out.flush();
    return console.out.failed() ? 1 : 0;
  }
  // The options stay as typed; the arguments after them get their wildcards
  // expanded, and are read again from there.
  std::vector<std::string> args = programArguments(argc, argv, options.optionCount);
  options = GraphOptions();
  if (!parseGraphOptions(std::vector<std::string>(args.begin() + 1, args.end()), options,
                         console)) {
    return 2;
  }
  args.resize(1);
  args.insert(args.end(), options.arguments.begin(), options.arguments.end());
  FrontEnd frontEnd;
  frontEnd.banner = false;
  frontEnd.slashIsPath = true;
  frontEnd.directoriesExpand = true;
  frontEnd.cScan = options.scan == ScanKind::C;
  frontEnd.keepSites = frontEnd.cScan && (!options.sites.empty() || options.format == GraphFormat::Json ||
                                          options.format == GraphFormat::Html);
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
