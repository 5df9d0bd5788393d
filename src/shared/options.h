// The option flags of a run.
#pragma once

#include <string>

namespace quenwick {

/// Flags set by the options. Each can change only once: the on-by-default ones
/// can only be cleared, the others only set.
struct Options {
  bool hideUndefined = false;            // -N: leave out callees without a definition
  bool markExpanded = true;              // cleared by -P: a branch already shown is not shown again
  bool showComments = true;              // cleared by -C alone: no captions
  bool treeInfoFile = false;             // -T: write the tree information file
  bool verbose = false;                  // -V: trace the scan on standard output
  bool multiDetail = false;              // -M: show where the first of several definitions is
  std::string treeInfoFileName = "CON";  // -Tname: where the tree information goes
};

}  // namespace quenwick
