#include "graph/graph_program.h"

#include <memory>
#include <utility>

#include "config/texts.h"
#include "cscan/c_database.h"
#include "driver/build_sources.h"
#include "driver/program.h"
#include "graph/graph_options.h"
#include "graph/graph_output.h"

namespace quenwick {

namespace {

/// Keeps `object` to the end of the process without ever destroying it.
template <typename T>
void keepToTheEnd(std::unique_ptr<T> object) {
  static auto* kept = new std::vector<std::shared_ptr<void>>();  // reachable to the end
  kept->push_back(std::move(object));
}

}  // namespace

int runGraphProgram(const std::vector<std::string>& args, Console& console, bool endsProcess) {
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
  // The files of a build, each with its configuration. A run that ends the
  // process leaves its memory to the system, which takes it back at once:
  // destroying its header texts, tables and effects one by one would cost some
  // 5 % of the run.
  auto database = std::make_unique<CompilationDatabase>();
  struct Kept {
    std::unique_ptr<CompilationDatabase>& database;
    bool endsProcess;
    ~Kept() {
      if (endsProcess) keepToTheEnd(std::move(database));
    }
  } kept{database, endsProcess};
  if (options.compileCommands) {
    DatabaseOptions read;
    if (options.queryDriver) read.queryDrivers = splitQueryDrivers(*options.queryDriver);
    DatabaseError error;
    if (!database->load(*options.compileCommands, read, error)) {
      reportDatabaseError(error, console.err);
      return 2;
    }
    reportDatabaseNotices(*database, console.err);
    frontEnd.database = database.get();
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
