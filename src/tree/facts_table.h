// The function table filled from the C scan's facts, one file at a time.
#pragma once

#include "shared/name_lists.h"
#include "tree/file_facts.h"
#include "tree/function_table.h"

namespace quenwick {

/// What goes from a file's facts into the table.
struct FactsOptions {
  bool showComments = true;  // keep the captions
  bool keepSites = false;    // keep every call site with its place, not only the callee names
};

/// Appends the definitions of `facts` to `table`, in source order: one record per
/// definition, its callee list made of the names it calls directly, each once, in
/// the order first called, leaving out the names of `lists.excludeList` and
/// `lists.leafList`. With `keepSites`, every call site that is not left out is kept
/// too, indirect ones included. The table resolves calls as C links them.
void addFileFacts(const FileFacts& facts, FunctionTable& table, const NameLists& lists,
                  const FactsOptions& options);

}  // namespace quenwick
