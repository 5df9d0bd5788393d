#include "graph/graph_program.h"

#include <memory>

#include "config/texts.h"
#include "cscan/c_database.h"
#include "driver/build_sources.h"
#include "driver/program.h"
#include "graph/graph_options.h"
#include "graph/graph_output.h"

namespace quenwick {

int runGraphProgram(const std::vector<std::string>& args, Console& console) {
  GraphOptions options;
  const std::vector<std::string> typed(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (!parseGraphOptions(typed, options, console)) return 2;
  if (options.help || options.version) {
    console.out.write(text(options.help ? Text::GraphUsage : Text::GraphVersion));
    console.out.flush();
    return console.out.failed() ? 1 : 0;
  }
  std::vector<std::string> driverArgs(args.begin(), args.begin() + 1);
  driverArgs.insert(driverArgs.end(), options.arguments.begin(), options.arguments.end());
  FrontEnd frontEnd;
  frontEnd.banner = false;
  frontEnd.slashIsPath = true;
  frontEnd.directoriesExpand = true;
  frontEnd.inputsRequired = !options.keepGoing;
  frontEnd.cScan = options.scan == ScanKind::C;
  frontEnd.keepSites = frontEnd.cScan && (!options.sites.empty() || options.format == GraphFormat::Json ||
                                          options.format == GraphFormat::Html);
  // The files of a build, each with its configuration.
  CompilationDatabase database;
  if (options.compileCommands) {
    DatabaseOptions read;
    if (options.queryDriver) read.queryDrivers = splitQueryDrivers(*options.queryDriver);
    DatabaseError error;
    if (!database.load(*options.compileCommands, read, error)) {
      reportDatabaseError(error, console.err);
      return 2;
    }
    reportDatabaseNotices(database, console.err);
    frontEnd.database = &database;
  }
  // Only quenwick's own tree shares standard output with the driver's -V trace and
  // #elif lines, as quenwick's does; any other output has it to itself, and those
  // lines go to standard error.
  GraphOutput output(options, console.out);
  if (GraphOutput::isPlainTree(options)) {
    Program program(console, frontEnd);
    return program.main(driverArgs, output);
  }
  Console traced(console.err.fd(), console.err.fd(), true);
  Program program(traced, frontEnd);
  return program.main(driverArgs, output);
}

}  // namespace quenwick
