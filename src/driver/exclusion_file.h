// The three shared name lists and the reader of exclusion files and
// system-function tables.
#pragma once

#include <string>

#include "driver/name_list.h"

namespace quenwick {

/// The name lists that the scan and the tree share for the whole run.
struct NameLists {
  NameList excludeList;  // names that never become callees
  NameList leafList;     // names that never become callees and print without callees
  NameList defineList;   // preprocessor symbols taken as defined

  /// Empties all three lists.
  void freeAll() {
    excludeList.freeNames();
    leafList.freeNames();
    defineList.freeNames();
  }
};

/// Reads the whitespace-separated names of the file at `path`: a name ending in "/"
/// goes without it to `leafList`, any other to `excludeList`. False, with nothing
/// added, when the file cannot be opened.
bool readExclusionFile(const std::string& path, NameLists& lists);

}  // namespace quenwick
