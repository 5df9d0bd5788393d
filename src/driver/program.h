// The program driver: start-up, the arguments in order, the per-file entry, the
// final outputs, and the ends of the run.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "config/settings.h"
#include "cscan/c_scan.h"
#include "driver/response_files.h"
#include "platform/console.h"
#include "scan/scanner.h"
#include "shared/name_lists.h"
#include "shared/options.h"
#include "tree/facts_table.h"
#include "tree/function_table.h"

namespace quenwick {

/// Thrown to end the run early with an exit status.
struct ExitProgram {
  int status;  // the exit status
};

/// What tells the programs that share the driver apart.
struct FrontEnd {
  bool banner = true;              // the banner opens standard error
  bool slashIsPath = false;        // every argument starting with "/" names a file
  bool directoriesExpand = false;  // a directory stands for the *.c files below it
  bool cScan = false;              // sources are read by the C scan (a directory: *.c and *.h)
  bool keepSites = false;          // the C scan keeps every call site with its place
  bool inputsRequired = false;     // an input that cannot be read ends the run with status 1
  const class CompilationDatabase* database = nullptr;  // C scan: the build whose files are scanned first
};

/// What a run hands to its output once every argument is handled, the tree
/// information file is written and, under -N, undefined callees are pruned.
struct RunResult {
  FunctionTable& functionTable;  // every definition found
  const NameLists& lists;        // the name lists, leafList among them
  const Settings& settings;      // the configuration
  const Options& options;        // the option flags
  Console& console;              // standard output and standard error
  bool treeInfoWritten;          // false when writing the tree information file failed
};

/// What a program writes once the function table is complete.
class Output {
 public:
  virtual ~Output() = default;
  /// Writes the output of `run` and returns the exit status it ends with.
  virtual int write(RunResult& run) = 0;
};

/// The state of one run and the steps that drive it.
class Program {
 public:
  /// A run writing to `console`, reading its arguments as `frontEnd` says.
  explicit Program(Console& console, FrontEnd frontEnd = {});

  /// Runs with `args` (the program's path first, wildcards already expanded),
  /// prints the call tree and returns the exit status: 0 for a run that reaches
  /// its end, 1 for one that stops early or whose output could not be written.
  int main(const std::vector<std::string>& args);
  /// The same with `output` in place of the call tree; the status is the one
  /// `output` returns, or 1 when standard output could not be written.
  int main(const std::vector<std::string>& args, Output& output);

 private:
  int run(const std::vector<std::string>& args, Output& output);
  void printBanner();
  void initProgramDir(const std::vector<std::string>& args);
  void printUsage();
  void readSystemFuncTables();
  void processArgument(const std::string& argument);
  void applyOption(const std::string& argument);
  void reportExclusionFile(const std::string& path);
  void processResponseFile(const std::string& argument);
  void processSource(const std::string& name);
  void processSourceFile(const std::string& name);
  void addCSymbol(const std::string& value, bool define);
  void scanCSources();
  struct CScanJob;
  bool sameCConfig(const CScanJob& one, const CScanJob& other) const;
  std::shared_ptr<CScanConfig> cConfigOf(const CScanJob& job) const;
  void takeCFacts(FileFacts& facts, const FactsOptions& factsOptions);
  void reportCScanProblems(const FileFacts& facts);
  void reportCScanTotals();
  // build_sources.cpp: the files of a compilation database, and the headers they reach.
  void scanBuildSources();
  void reportEmptyDirectory(const std::string& name);
  void inputUnread();
  bool writeTreeInfoFile();
  int reportWriteErrors(bool treeInfoWritten);
  void releaseAll();
  int outOfMemory();

  Console& console;              // standard output and standard error
  FrontEnd frontEnd_;            // how this program reads its arguments
  Settings settings;             // the configuration
  Options options;               // the option flags
  NameLists lists;               // excludeList, leafList, defineList
  FunctionTable functionTable;   // every definition found
  Scanner scanner;               // the scanner state
  std::string programDir;        // the program's directory with its trailing "/"
  ResponseFiles responseFiles_;  // response files open now

  /// A source file that the C scan reads once every argument is handled.
  struct CScanJob {
    std::string name;             // the file as named
    std::size_t symbols;          // how many of `cSymbols_` were given before it
    bool captions;                // captions were on
    std::string captionKeyword;   // the caption keyword then
  };
  std::vector<SymbolSetting> cSymbols_;  // -D and -U of the C scan, in order
  std::vector<CScanJob> cJobs_;          // the sources of the C scan, in order
  std::size_t unbalancedFiles_ = 0;      // C scan: files whose braces or conditionals did not balance
  std::size_t undecidedConditions_ = 0;  // C scan: conditionals left undecided
  std::unordered_set<std::string> missingHeaders_;  // C scan of a build: the headers not found
};

}  // namespace quenwick
