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
  // DOT, JSON, a page or a list on standard output holds nothing else: what the
  // scan itself writes there (each #elif's value, the -V trace) goes to standard
  // error instead.
  const bool document = options.format != GraphFormat::Text || options.list != ListKind::None;
  Console scanConsole(2, 2);
  Program program(document ? scanConsole : console, frontEnd);
  GraphOutput output(options, console.out);
  int status = program.main(args, output);
  if (document) {
    console.out.flush();
    if (console.out.failed()) {
      console.err.write(text(Text::StdoutWriteFailed));
      if (status == 0) status = 1;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runGraph);
}
