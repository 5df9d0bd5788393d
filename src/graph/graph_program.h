// A whole run of quenwick-graph: its options, the driver with the arguments after
// them, and the output that the options ask for.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace quenwick {

/// Runs quenwick-graph with `args` (the program's path first, wildcards already
/// expanded) on `console` and returns the exit status.
int runGraphProgram(const std::vector<std::string>& args, Console& console);

}  // namespace quenwick
