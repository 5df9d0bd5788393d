// The program driver: start-up, the arguments in order, the per-file entry, the
// final outputs, and the ends of the run.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "driver/exclusion_file.h"
#include "driver/options.h"
#include "platform/console.h"
#include "platform/text_input.h"
#include "scan/scanner.h"
#include "tree/function_table.h"

namespace quenwick {

/// Thrown to end the run early with an exit status.
struct ExitProgram {
  int status;  // the exit status
};

/// At most this many response files may be open at once.
inline constexpr std::size_t kMaxOpenResponseFiles = 256;

/// The state of one run and the steps that drive it.
class Program {
 public:
  /// A run writing to `console`.
  explicit Program(Console& console);

  /// Runs with `args` (the program's path first, wildcards already expanded) and
  /// returns the exit status: 0 for a run that reaches its end, 1 for one that
  /// stops early or whose output could not be written.
  int main(const std::vector<std::string>& args);

  /// Sets `programDir` from the program's path; with no argument, prints the usage
  /// text and ends the run with status 1.
  void initProgramDir(const std::vector<std::string>& args);
  /// Writes the usage text to standard error.
  void printUsage();
  /// Handles one argument: an option, a response file or a source file.
  void processArgument(const std::string& argument);
  /// Scans one source file and writes its progress line.
  void processSourceFile(const std::string& name);
  /// Frees the function table and the name lists.
  void releaseAll();
  /// Ends the run after memory ran out: bell, message, release. Returns status 1.
  int outOfMemory();

  Console& console;             // standard output and standard error
  Settings settings;            // the configuration
  Options options;              // the option flags
  NameLists lists;              // excludeList, leafList, defineList
  FunctionTable functionTable;  // every definition found
  Scanner scanner;              // the scanner state
  std::string programDir;       // the program's directory with its trailing "/"

 private:
  int run(const std::vector<std::string>& args);
  void printBanner();
  void readSystemFuncTables();
  void applyOption(const std::string& argument);
  void reportExclusionFile(const std::string& path);
  void processResponseFile(const std::string& argument);
  bool openResponseFile(const std::string& path, TextInput& file);
  bool writeTreeInfoFile();
  int reportWriteErrors(bool treeInfoWritten);

  using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
  std::vector<FileIdentity> openResponseFiles_;  // response files open now, outermost first
  std::set<FileIdentity> stoppedCycles_;  // files that were open when the nesting limit was met
};

}  // namespace quenwick
