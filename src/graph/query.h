// What a query of quenwick-graph selects from the call graph.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "graph/graph_options.h"
#include "platform/console.h"
#include "tree/call_graph.h"
#include "tree/tree_printer.h"

namespace quenwick {

/// The records and calls that the graph formats show.
struct Selection {
  std::vector<bool> shown;         // records that are nodes
  std::vector<bool> callsShown;    // records whose calls are followed (a tree's node above the cut)
  std::vector<bool> callersShown;  // records whose callers are followed (a callers tree's node)
  const std::vector<bool>* keep = nullptr;      // with --target: the records that lead to a target
  std::unordered_set<std::uint32_t> keepNames;  // with --target: the targets' names
  std::vector<std::uint32_t> roots;             // the roots of the trees, in order

  /// True when the resolved call from `caller` to `callee` is an edge.
  bool edge(std::uint32_t caller, std::uint32_t callee) const {
    return shown[caller] && shown[callee] && (callsShown[caller] || callersShown[callee]);
  }
  /// True when a call of `caller` without a definition is an edge.
  bool undefinedEdge(std::uint32_t caller) const { return callsShown[caller] && keep == nullptr; }
  /// True when a call of `caller` to the several definitions of `name` is an edge.
  bool ambiguousEdge(std::uint32_t caller, std::uint32_t name) const {
    return callsShown[caller] && (keep == nullptr || keepNames.count(name) != 0);
  }
};

/// The options of a run with their names found in the call graph.
class Query {
 public:
  /// Finds every --root, --callers and --target name of `options` in `graph`.
  Query(const GraphOptions& options, const CallGraph& graph);

  /// False, after a one-line message on `console.err`, when a name of the
  /// options is defined nowhere (or not in the file it names).
  bool check(Console& console) const;

  /// The trees the text format prints for the --root and --target options (none
  /// when only --callers is given).
  TreeQuery treeQuery() const;
  /// The trees of the callers of every --callers name.
  TreeQuery callersQuery() const;
  /// What the graph formats show.
  Selection selection() const;
  /// The graph the names were found in.
  const CallGraph& graph() const { return graph_; }

 private:
  /// One NAME or NAME@FILE of an option, found.
  struct Found {
    const char* option;                  // the option's name
    std::string spec;                    // as given
    std::string name;                    // before "@"
    std::string file;                    // after "@"; empty when none is given
    std::vector<std::uint32_t> records;  // its definitions, in table order
  };

  std::vector<Found> find(const char* option, const std::vector<std::string>& specs) const;
  static std::vector<std::uint32_t> recordsOf(const std::vector<Found>& found);

  const GraphOptions& options_;
  const CallGraph& graph_;
  std::vector<Found> roots_, callers_, targets_;
  std::vector<bool> keep_;  // with --target: the records that lead to a target
};

}  // namespace quenwick
