// The three name lists that the driver fills and the scan and the tree read.
#pragma once

#include "shared/name_list.h"

namespace quenwick {

/// The name lists shared for the whole run.
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

}  // namespace quenwick
