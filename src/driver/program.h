// The program driver: start-up, the arguments in order, the per-file entry, the
// final outputs, and the ends of the run.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"
#include "driver/response_files.h"
#include "platform/console.h"
#include "scan/scanner.h"
#include "shared/name_lists.h"
#include "shared/options.h"
#include "tree/function_table.h"

namespace quenwick {

/// Thrown to end the run early with an exit status.
struct ExitProgram {
  int status;  // the exit status
};

/// The state of one run and the steps that drive it.
class Program {
 public:
  /// A run writing to `console`.
  explicit Program(Console& console);

  /// Runs with `args` (the program's path first, wildcards already expanded) and
  /// returns the exit status: 0 for a run that reaches its end, 1 for one that
  /// stops early or whose output could not be written.
  int main(const std::vector<std::string>& args);

 private:
  int run(const std::vector<std::string>& args);
  void printBanner();
  void initProgramDir(const std::vector<std::string>& args);
  void printUsage();
  void readSystemFuncTables();
  void processArgument(const std::string& argument);
  void applyOption(const std::string& argument);
  void reportExclusionFile(const std::string& path);
  void processResponseFile(const std::string& argument);
  void processSourceFile(const std::string& name);
  bool writeTreeInfoFile();
  int reportWriteErrors(bool treeInfoWritten);
  void releaseAll();
  int outOfMemory();

  Console& console;              // standard output and standard error
  Settings settings;             // the configuration
  Options options;               // the option flags
  NameLists lists;               // excludeList, leafList, defineList
  FunctionTable functionTable;   // every definition found
  Scanner scanner;               // the scanner state
  std::string programDir;        // the program's directory with its trailing "/"
  ResponseFiles responseFiles_;  // response files open now
};

}  // namespace quenwick
