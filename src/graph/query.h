// What a query of quenwick-graph selects from the call graph: the one answer that
// every format draws, the text trees included.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "graph/graph_options.h"
#include "platform/console.h"
#include "shared/name_list.h"
#include "tree/call_graph.h"
#include "tree/tree_printer.h"

namespace quenwick {

/// The records and calls that a query selects. A record is shown when a chain of
/// at most --depth followed calls leads to it from a root (or from it to a --callers
/// name); the calls (or callers) of a shown record are followed while it is nearer
/// than --depth. With --target only the calls on a way to a target are followed: a
/// call leads to a record from which resolved calls reach a target, and a call of a
/// target is followed only when it calls the target itself or leads on to a target
/// of another name without coming back through the target's name.
struct Selection {
  static constexpr std::uint32_t kNone = UINT32_MAX;

  std::vector<bool> shown;                        // records that are nodes
  std::vector<bool> callsShown;                   // records whose calls are followed
  std::vector<bool> callersShown;                 // records whose callers are followed
  std::vector<std::uint32_t> roots;               // every tree's root: treeRoots, callerRoots
  std::vector<std::uint32_t> treeRoots;           // the roots of the trees of calls, in order
  std::vector<std::uint32_t> callerRoots;         // the roots of the trees of callers, in order
  std::vector<std::uint32_t> callsDistance;       // by record: calls from the nearest root
  std::vector<std::uint32_t> callersDistance;     // by record: calls to a --callers name
  bool targeted = false;                          // --target was given
  std::unordered_set<std::uint32_t> targetNames;  // the targets' name keys
  std::vector<bool> leadsToTarget;                // by record: resolved calls reach a target
  std::vector<std::uint32_t> targetName;          // by record: its name key when it is a target
  std::vector<std::uint32_t> targetGroup;         // by record: its `leadsOn` entry when a target
  std::vector<std::vector<bool>> leadsOn;         // by target name: records that lead to a target
                                                  // of another name, avoiding this name

  /// True when a chain of resolved calls leads from `record` to a target (always
  /// without --target).
  bool leads(std::uint32_t record) const { return !targeted || leadsToTarget[record]; }
  /// True when the resolved call from `caller` to `callee` is on a way to a target
  /// (always without --target); the depth is not looked at.
  bool followsCall(std::uint32_t caller, std::uint32_t callee) const {
    if (!targeted) return true;
    const std::uint32_t group = targetGroup[caller];
    if (group == kNone) return leadsToTarget[callee];
    return callee == caller || leadsOn[group][callee];  // a target's line ends its way
  }
  /// True when a call of `caller` to the several definitions of `name` is on a way
  /// to a target (always without --target).
  bool followsSeveral(std::uint32_t caller, std::uint32_t name) const {
    return !targeted || (targetNames.count(name) != 0 && name != targetName[caller]);
  }

  /// True when the resolved call from `caller` to `callee` is an edge.
  bool edge(std::uint32_t caller, std::uint32_t callee) const {
    return shown[caller] && shown[callee] &&
           ((callsShown[caller] && followsCall(caller, callee)) || callersShown[callee]);
  }
  /// True when a call of `caller` without a definition is an edge.
  bool undefinedEdge(std::uint32_t caller) const { return callsShown[caller] && !targeted; }
  /// True when a call of `caller` to the several definitions of `name` is an edge.
  bool ambiguousEdge(std::uint32_t caller, std::uint32_t name) const {
    return callsShown[caller] && followsSeveral(caller, name);
  }
};

/// The text trees' view of a selection: the trees of calls, or those of callers.
class SelectionFilter : public TreeFilter {
 public:
  /// The trees of callers of `selection` when `callers`, else its trees of calls.
  SelectionFilter(const Selection& selection, bool callers)
      : selection_(selection), callers_(callers) {}

  /// True when the record's calls (or callers) are followed.
  bool listsChildren(std::uint32_t record) const override {
    return callers_ ? selection_.callersShown[record] : selection_.callsShown[record];
  }
  /// True when `child` of `parent` is an edge of its side of the selection.
  bool showsChild(std::uint32_t parent, const Call& child) const override;

 private:
  const Selection& selection_;
  bool callers_;
};

/// The options of a run with their names found in the call graph.
class Query {
 public:
  /// Finds every --root, --callers and --target name of `options` in `graph`;
  /// the records named in `leafList` (when given) list no calls in a tree.
  Query(const GraphOptions& options, const CallGraph& graph, const NameList* leafList = nullptr);

  /// False, after a one-line message on `console.err`, when a name of the
  /// options is defined nowhere (or not in the file it names).
  bool check(Console& console) const;

  /// The answer, for every format.
  Selection selection() const;
  /// The graph the names were found in.
  const CallGraph& graph() const { return graph_; }

 private:
  /// One NAME or NAME@FILE of an option, found.
  struct Found {
    const char* option;                  // the option's name
    std::string given;                    // as given
    std::string name;                    // before "@"
    std::string file;                    // after "@"; empty when none is given
    std::vector<std::uint32_t> records;  // its definitions, in table order
  };

  std::vector<Found> find(const char* option, const std::vector<std::string>& names) const;
  static std::vector<std::uint32_t> recordsOf(const std::vector<Found>& found);
  void markTargets(Selection& selection) const;
  void markTrees(Selection& selection, std::size_t limit) const;
  void markCallers(Selection& selection, std::size_t limit) const;
  bool listsCalls(std::uint32_t record) const;

  const GraphOptions& options_;
  const CallGraph& graph_;
  const NameList* leafList_;
  std::vector<Found> roots_, callers_, targets_;
};

}  // namespace quenwick
