// Running another program: found as a shell would find it, started without a
// shell, with nothing to read, its standard error dropped and its standard output
// taken, within a time limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quenwick {

/// The program that the command word `name` starts, as an absolute path in normal
/// form (links not followed): a name holding "/" is taken from `directory`,
/// another is looked for in the folders of PATH. Empty when there is none.
std::string findProgram(const std::string& name, const std::string& directory);

/// What one run of a program gave.
struct ProgramRun {
  bool started = false;   // the program could be started
  bool finished = false;  // it ended by itself within the limits, with status 0
  std::string output;     // its standard output (cut at the limit)
};

/// Runs the program at `path` with `args` (its own name not included), standard
/// input empty and standard error dropped. A run that writes more than
/// `outputLimit` bytes or takes longer than `seconds` is stopped and does not count
/// as finished.
ProgramRun runProgram(const std::string& path, const std::vector<std::string>& args,
                      std::size_t outputLimit, int seconds);

}  // namespace quenwick
