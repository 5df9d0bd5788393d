// The tree information file: the function table in a simple block format.
#pragma once

#include "platform/out_stream.h"
#include "tree/function_table.h"

namespace quenwick {

/// Writes one block per record of `table`, in table order: " file line", then
/// "name called,expanded", then the callees between "{" and "}", then an empty line.
void writeTreeInfo(const FunctionTable& table, OutStream& out);

}  // namespace quenwick
