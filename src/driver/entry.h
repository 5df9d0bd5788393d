// What every program's entry point does around its run.
#pragma once

#include "platform/console.h"

namespace quenwick {

/// The run of a program, given `main`'s own arguments and the console; returns the
/// exit status.
using EntryBody = int (*)(int argc, char** argv, Console& console);

/// Runs `body` as a program's entry point: the program's texts in the encoding
/// that QUENWICK_ENCODING chooses, and memory set aside so that running out of it
/// can still be reported. Memory that runs out before the run starts is reported
/// on standard error with status 1.
int runEntryPoint(int argc, char** argv, EntryBody body);

}  // namespace quenwick
