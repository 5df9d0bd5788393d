// What quenwick-graph says about a compilation database before the scan: why it
// cannot be read, and the compilers whose predefined macros were not asked.
#pragma once

#include <string>

#include "cscan/c_database.h"
#include "platform/out_stream.h"

namespace quenwick {

/// One line (ending in a newline) on why a database could not be read.
std::string describeDatabaseError(const DatabaseError& error);

/// Writes one line on why a database could not be read.
void reportDatabaseError(const DatabaseError& error, OutStream& err);

/// Writes one line for each compiler that was not asked for its macros, or failed.
void reportDatabaseNotices(const CompilationDatabase& database, OutStream& err);

}  // namespace quenwick
