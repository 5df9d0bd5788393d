#include "driver/program.h"

#include <new>
#include <stdexcept>

#include "config/config_file.h"
#include "config/texts.h"
#include "driver/exclusion_file.h"
#include "tree/tree_info.h"
#include "tree/tree_printer.h"

namespace quenwick {

namespace {

/// The call tree on standard output.
class TreeOutput : public Output {
 public:
  int write(RunResult& run) override {
    TreePrinter(run.functionTable, run.lists.leafList, run.settings, run.options)
        .printTree(run.console.out);
    return 0;
  }
};

}  // namespace

Program::Program(Console& console, FrontEnd frontEnd)
    : console(console),
      frontEnd_(frontEnd),
      scanner(settings, options, lists, functionTable, console) {
  console.beep = &settings.beep;
}

int Program::main(const std::vector<std::string>& args) {
  TreeOutput tree;
  return main(args, tree);
}

int Program::main(const std::vector<std::string>& args, Output& output) {
  // Every allocation of the program goes through operator new, which throws when
  // memory is exhausted; the run then ends here, whatever it was doing.
  try {
    return run(args, output);
  } catch (const ExitProgram& exit) {
    releaseAll();
    return exit.status;
  } catch (const std::bad_alloc&) {
    return outOfMemory();
  } catch (const std::length_error&) {
    return outOfMemory();
  }
}

int Program::run(const std::vector<std::string>& args, Output& output) {
  if (frontEnd_.banner) printBanner();
  initProgramDir(args);
  readConfiguration(programDir, settings, console);
  readSystemFuncTables();
  lists.defineList.appendName("1");
  for (std::size_t i = 1; i < args.size(); ++i) processArgument(args[i]);
  if (frontEnd_.cScan) scanCSources();

  bool treeInfoWritten = writeTreeInfoFile();
  if (options.hideUndefined) functionTable.pruneUndefinedCallees();
  RunResult result{functionTable, lists, settings, options, console, treeInfoWritten};
  int status = output.write(result);
  console.out.flush();
  int writeStatus = reportWriteErrors(treeInfoWritten);
  releaseAll();
  return status != 0 ? status : writeStatus;
}

void Program::printBanner() {
  console.err.write(text(Text::BannerTitle));
  console.err.write(text(Text::BannerNotice));
}

void Program::initProgramDir(const std::vector<std::string>& args) {
  const std::string path = args.empty() ? std::string() : args[0];
  std::size_t slash = path.rfind('/');
  programDir = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  if (args.size() < 2 && frontEnd_.database == nullptr) {
    printUsage();
    throw ExitProgram{1};
  }
}

void Program::printUsage() {
  console.err.write(text(Text::UsageDescription));
  console.err.write(text(Text::UsageCommands));
  console.err.write(text(Text::UsageOptions));
}

void Program::readSystemFuncTables() {
  for (const std::string& table : settings.systemFuncTables) {
    std::string path = programDir + table;
    if (readExclusionFile(path, lists)) continue;
    console.err.printf(textFormat(Text::SystemTableMissing), path.c_str());
    console.ringBell();
    throw ExitProgram{1};
  }
}

void Program::processSourceFile(const std::string& name) {
  if (frontEnd_.cScan) {
    cJobs_.push_back(CScanJob{name, cSymbols_.size(), options.showComments, settings.caption});
    return;
  }
  console.err.write(name);
  const bool opened = scanner.scanFile(name);
  if (scanner.braceDepth() != 0) {
    console.ringBell();
    console.err.printf(textFormat(Text::BraceImbalance), scanner.braceDepth());
  }
  if (scanner.condDepth() != 0) {
    console.ringBell();
    console.err.printf(textFormat(Text::CondImbalance), scanner.condDepth());
  }
  console.err.put('\n');
  if (!opened) inputUnread();
}

// A directory named as a source that holds none, reported as a missing file is.
void Program::reportEmptyDirectory(const std::string& name) {
  console.err.write(name);
  console.ringBell();
  console.err.write(text(Text::NoSourceBelow));
  console.err.put('\n');
  inputUnread();
}

// An input (a source, a directory of sources, a response file) that gave nothing
// to read, already reported. Where inputs are required the run ends here, before
// any output is written.
void Program::inputUnread() {
  if (frontEnd_.inputsRequired) throw ExitProgram{1};
}

// Writes the tree information file when asked for. False when it was opened but a
// write to it failed.
bool Program::writeTreeInfoFile() {
  if (!options.treeInfoFile) return true;
  const std::string& name = options.treeInfoFileName;
  if (isConsoleDevice(name)) {
    console.err.flush();
    OutStream device;
    if (openConsoleDevice(device)) {
      writeTreeInfo(functionTable, device);
      device.close();
      return !device.failed();
    }
    // Standard error stands for the console. It writes every message at once; the
    // table goes out in large pieces instead, through a buffer of its own on the
    // same descriptor.
    OutStream buffered(console.err.fd());
    writeTreeInfo(functionTable, buffered);
    buffered.flush();
    return true;
  }
  OutStream file;
  if (!file.openFile(name)) {
    console.err.printf(textFormat(Text::TreeInfoUnopenable), name.c_str());
    console.ringBell();
    return true;
  }
  writeTreeInfo(functionTable, file);
  file.close();
  return !file.failed();
}

// A run whose output was lost must not look like a success.
int Program::reportWriteErrors(bool treeInfoWritten) {
  int status = 0;
  if (!treeInfoWritten) {
    console.err.printf(textFormat(Text::TreeInfoWriteFailed), options.treeInfoFileName.c_str());
    console.ringBell();
    status = 1;
  }
  if (console.out.failed()) {
    console.err.write(text(Text::StdoutWriteFailed));
    console.ringBell();
    status = 1;
  }
  return status;
}

void Program::releaseAll() {
  functionTable.freeFunctionTable();
  lists.freeAll();
}

int Program::outOfMemory() {
  console.ringBell();
  console.err.write(text(Text::HeapFull));
  releaseAll();
  return 1;
}

}  // namespace quenwick
