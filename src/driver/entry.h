// What every program's entry point does around its run.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace quenwick {

/// The run of a program, given its arguments as typed (its path first, no
/// wildcard expanded yet) and the console; returns the exit status.
using EntryBody = int (*)(const std::vector<std::string>& args, Console& console);

/// Runs `body` as a program's entry point: the program's texts in the encoding
/// that QUENWICK_ENCODING chooses, and memory set aside so that running out of it
/// can still be reported. Memory that runs out before the run starts is reported
/// on standard error with status 1.
int runEntryPoint(int argc, char** argv, EntryBody body);

}  // namespace quenwick
