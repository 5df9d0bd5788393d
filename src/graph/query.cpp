#include "graph/query.h"

#include <deque>
#include <limits>

#include "config/texts.h"

namespace quenwick {

namespace {

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

/// True when `distance` is a distance of at most `limit` calls.
bool within(std::uint32_t distance, std::size_t limit) {
  return distance != kUnreached && distance <= limit;
}

}  // namespace

bool SelectionFilter::showsChild(std::uint32_t parent, const Call& child) const {
  if (callers_) return true;  // every caller of a record whose callers are followed
  if (child.count == 1) return selection_.followsCall(parent, child.definition);
  if (child.count == 0) return !selection_.targeted;
  return selection_.followsSeveral(parent, child.name);
}

Query::Query(const GraphOptions& options, const CallGraph& graph, const NameList* leafList)
    : options_(options), graph_(graph), leafList_(leafList) {
  roots_ = find("root", options.roots);
  callers_ = find("callers", options.callers);
  targets_ = find("target", options.targets);
}

// NAME@FILE names the definitions of NAME in the file FILE, exactly as the file was
// named to the driver; NAME alone names all of them.
std::vector<Query::Found> Query::find(const char* option,
                                      const std::vector<std::string>& names) const {
  std::vector<Found> found;
  const FunctionTable& table = graph_.table();
  for (const std::string& given : names) {
    Found item{option, given, given, "", {}};
    const std::size_t at = given.find('@');
    if (at != std::string::npos) {
      item.name = given.substr(0, at);
      item.file = given.substr(at + 1);
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

// A record listed as a leaf (a name of a table with a trailing "/") has its calls
// left out of a tree, as quenwick's tree leaves them out.
bool Query::listsCalls(std::uint32_t record) const {
  return leafList_ == nullptr || leafList_->empty() ||
         !leafList_->containsName(graph_.table().records()[record].name);
}

Selection Query::selection() const {
  const std::uint32_t n = graph_.size();
  Selection selection;
  selection.shown.assign(n, false);
  selection.callsShown.assign(n, false);
  selection.callersShown.assign(n, false);
  if (!options_.hasQuery()) {
    selection.shown.assign(n, true);
    selection.callsShown.assign(n, true);
    selection.treeRoots = treeRoots(graph_.table());
    selection.roots = selection.treeRoots;
    return selection;
  }
  const std::size_t limit = options_.depth.value_or(std::numeric_limits<std::size_t>::max());
  markTargets(selection);
  markTrees(selection, limit);
  markCallers(selection, limit);
  selection.roots = selection.treeRoots;
  selection.roots.insert(selection.roots.end(), selection.callerRoots.begin(),
                         selection.callerRoots.end());
  return selection;
}

// The records that lead to a target and, for each target name, those that lead to
// a target of another name without passing a record of that name: a target's
// calls go on only along those.
void Query::markTargets(Selection& selection) const {
  if (targets_.empty()) return;
  const std::uint32_t n = graph_.size();
  const FunctionTable& table = graph_.table();
  selection.targeted = true;
  selection.targetName.assign(n, Selection::kNone);
  selection.targetGroup.assign(n, Selection::kNone);
  std::vector<bool> targets(n, false);
  std::vector<std::uint32_t> groupNames;
  for (std::uint32_t record : recordsOf(targets_)) {
    const std::uint32_t name = table.records()[record].nameId;
    targets[record] = true;
    selection.targetName[record] = name;
    if (selection.targetNames.insert(name).second) groupNames.push_back(name);
  }
  selection.leadsToTarget = graph_.reaching(targets);
  for (std::uint32_t r = 0; r < n; ++r) {
    if (!targets[r]) continue;
    for (std::uint32_t g = 0; g < groupNames.size(); ++g) {
      if (groupNames[g] == selection.targetName[r]) selection.targetGroup[r] = g;
    }
  }
  selection.leadsOn.resize(groupNames.size());
  if (groupNames.size() < 2) {
    if (!groupNames.empty()) selection.leadsOn[0].assign(n, false);
    return;
  }
  for (std::uint32_t g = 0; g < groupNames.size(); ++g) {
    std::vector<bool>& marked = selection.leadsOn[g];
    marked.assign(n, false);
    std::vector<std::uint32_t> pending;
    auto mark = [&](std::uint32_t r) {
      if (marked[r] || table.records()[r].nameId == groupNames[g]) return;
      marked[r] = true;
      pending.push_back(r);
    };
    for (std::uint32_t r = 0; r < n; ++r) {
      if (targets[r]) mark(r);
    }
    while (!pending.empty()) {
      const std::uint32_t r = pending.back();
      pending.pop_back();
      for (std::uint32_t caller : graph_.callers(r)) mark(caller);
    }
  }
}

// The trees of calls: a breadth-first walk from their roots along the calls that
// the selection follows, to `limit` calls.
void Query::markTrees(Selection& selection, std::size_t limit) const {
  std::vector<std::uint32_t> roots;
  if (!roots_.empty()) {
    roots = recordsOf(roots_);
  } else if (callers_.empty()) {
    roots = treeRoots(graph_.table());
  }
  std::vector<std::uint32_t>& distance = selection.callsDistance;
  distance.assign(graph_.size(), kUnreached);
  std::deque<std::uint32_t> pending;
  for (std::uint32_t root : roots) {
    if (!selection.leads(root)) continue;
    selection.treeRoots.push_back(root);
    if (distance[root] == kUnreached) {
      distance[root] = 0;
      pending.push_back(root);
    }
  }
  while (!pending.empty()) {
    const std::uint32_t r = pending.front();
    pending.pop_front();
    selection.shown[r] = true;
    if (distance[r] >= limit || !listsCalls(r)) continue;
    selection.callsShown[r] = true;
    for (const Call& call : graph_.calls(r)) {
      if (call.count != 1 || distance[call.definition] != kUnreached) continue;
      if (!selection.followsCall(r, call.definition)) continue;
      distance[call.definition] = distance[r] + 1;
      pending.push_back(call.definition);
    }
  }
}

// The trees of callers: every record within `limit` calls of a --callers name.
void Query::markCallers(Selection& selection, std::size_t limit) const {
  selection.callerRoots = recordsOf(callers_);
  if (selection.callerRoots.empty()) return;
  selection.callersDistance = graph_.distances(selection.callerRoots, true);
  for (std::uint32_t r = 0; r < graph_.size(); ++r) {
    const std::uint32_t distance = selection.callersDistance[r];
    if (!within(distance, limit)) continue;
    selection.shown[r] = true;
    selection.callersShown[r] = distance < limit;
  }
}

}  // namespace quenwick
