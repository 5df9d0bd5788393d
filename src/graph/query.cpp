#include "graph/query.h"

#include <limits>

#include "config/texts.h"

namespace quenwick {

namespace {

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

}  // namespace

Query::Query(const GraphOptions& options, const CallGraph& graph)
    : options_(options), graph_(graph) {
  roots_ = find("root", options.roots);
  callers_ = find("callers", options.callers);
  targets_ = find("target", options.targets);
  if (!targets_.empty()) {
    std::vector<bool> targets(graph.size(), false);
    for (std::uint32_t record : recordsOf(targets_)) targets[record] = true;
    keep_ = graph.reaching(targets);
  }
}

// NAME@FILE names the definitions of NAME in the file FILE, exactly as the file was
// named to the driver; NAME alone names all of them.
std::vector<Query::Found> Query::find(const char* option,
                                      const std::vector<std::string>& specs) const {
  std::vector<Found> found;
  const FunctionTable& table = graph_.table();
  for (const std::string& spec : specs) {
    Found item{option, spec, spec, "", {}};
    const std::size_t at = spec.find('@');
    if (at != std::string::npos) {
      item.name = spec.substr(0, at);
      item.file = spec.substr(at + 1);
    }
    const std::uint32_t key = table.findName(item.name);
    if (key != SymbolTable::kNone) {
      for (std::uint32_t record : graph_.definitions(key)) {
        if (item.file.empty() || table.records()[record].filename == item.file) {
          item.records.push_back(record);
        }
      }
    }
    found.push_back(std::move(item));
  }
  return found;
}

std::vector<std::uint32_t> Query::recordsOf(const std::vector<Found>& found) {
  std::vector<std::uint32_t> records;
  for (const Found& item : found)
    records.insert(records.end(), item.records.begin(), item.records.end());
  return records;
}

bool Query::check(Console& console) const {
  for (const auto* group : {&roots_, &callers_, &targets_}) {
    for (const Found& item : *group) {
      if (!item.records.empty()) continue;
      if (item.file.empty()) {
        console.err.printf(textFormat(Text::GraphUndefinedName), item.option, item.name.c_str());
      } else {
        console.err.printf(textFormat(Text::GraphUndefinedInFile), item.option, item.name.c_str(),
                           item.file.c_str());
      }
      return false;
    }
  }
  return true;
}

TreeQuery Query::treeQuery() const {
  TreeQuery query;
  if (!roots_.empty()) {
    query.roots = recordsOf(roots_);
  } else if (callers_.empty()) {
    query.roots = treeRoots(graph_.table());
  }
  if (options_.depth) query.maxDepth = *options_.depth;
  if (!targets_.empty()) {
    query.keep = &keep_;
    for (const Found& item : targets_) {
      query.keepNames.insert(graph_.table().records()[item.records.front()].nameId);
    }
  }
  return query;
}

TreeQuery Query::callersQuery() const {
  TreeQuery query;
  query.roots = recordsOf(callers_);
  query.callers = true;
  if (options_.depth) query.maxDepth = *options_.depth;
  return query;
}

Selection Query::selection() const {
  const std::uint32_t n = graph_.size();
  const std::size_t limit = options_.depth.value_or(std::numeric_limits<std::size_t>::max());
  Selection selection;
  selection.shown.assign(n, false);
  selection.callsShown.assign(n, false);
  selection.callersShown.assign(n, false);
  if (!options_.hasQuery()) {
    selection.shown.assign(n, true);
    selection.callsShown.assign(n, true);
    selection.roots = treeRoots(graph_.table());
    return selection;
  }
  // Each tree's nodes are the records within `limit` calls of its roots; those
  // nearer than `limit` have their calls (or callers) shown.
  auto mark = [&](const std::vector<std::uint32_t>& roots, bool upwards,
                  std::vector<bool>& follows) {
    std::vector<std::uint32_t> distance = graph_.distances(roots, upwards);
    for (std::uint32_t r = 0; r < n; ++r) {
      if (distance[r] == kUnreached || distance[r] > limit) continue;
      if (!keep_.empty() && !keep_[r]) continue;
      selection.shown[r] = true;
      follows[r] = distance[r] < limit;
    }
  };
  TreeQuery trees = treeQuery();
  if (!trees.roots.empty()) mark(trees.roots, false, selection.callsShown);
  std::vector<std::uint32_t> callerRoots = recordsOf(callers_);
  if (!callerRoots.empty()) mark(callerRoots, true, selection.callersShown);
  if (!keep_.empty()) {
    selection.keep = &keep_;
    selection.keepNames = trees.keepNames;
  }
  for (std::uint32_t root : trees.roots) {
    if (selection.shown[root]) selection.roots.push_back(root);
  }
  selection.roots.insert(selection.roots.end(), callerRoots.begin(), callerRoots.end());
  return selection;
}

}  // namespace quenwick
