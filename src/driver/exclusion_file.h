// The reader of exclusion files and system-function tables.
#pragma once

#include <string>

#include "shared/name_lists.h"

namespace quenwick {

/// Reads the whitespace-separated names of the file at `path`: a name ending in "/"
/// goes without it to `leafList`, any other to `excludeList`. False, with nothing
/// added, when the file cannot be opened.
bool readExclusionFile(const std::string& path, NameLists& lists);

}  // namespace quenwick
