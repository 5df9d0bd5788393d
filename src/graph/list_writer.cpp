#include <string>
#include <vector>

#include "graph/graph_writers.h"
#include "tree/tree_printer.h"

namespace quenwick {

namespace {

/// True when `record` calls no function that has a definition.
bool isLeaf(const CallGraph& graph, std::uint32_t record) {
  for (const Call& call : graph.calls(record)) {
    if (call.count > 0) return false;
  }
  return true;
}

/// The names called somewhere that have no definition, in the order first called.
std::vector<std::uint32_t> undefinedNamesOf(const CallGraph& graph) {
  std::vector<std::uint32_t> names;
  std::vector<bool> seen(graph.table().nameCount(), false);
  for (std::uint32_t r = 0; r < graph.size(); ++r) {
    for (const Call& call : graph.calls(r)) {
      if (call.count != 0 || seen[call.name]) continue;
      seen[call.name] = true;
      names.push_back(call.name);
    }
  }
  return names;
}

}  // namespace

void listed(const CallGraph& graph, ListKind kind, std::vector<std::uint32_t>& records,
            std::vector<std::uint32_t>& undefinedNames) {
  records.clear();
  undefinedNames.clear();
  switch (kind) {
    case ListKind::Roots:
      records = treeRoots(graph.table());
      break;
    case ListKind::Leaves:
      for (std::uint32_t r = 0; r < graph.size(); ++r) {
        if (isLeaf(graph, r)) records.push_back(r);
      }
      break;
    case ListKind::Recursive: {
      const std::vector<bool> inCycle = graph.recursive();
      for (std::uint32_t r = 0; r < graph.size(); ++r) {
        if (inCycle[r]) records.push_back(r);
      }
      break;
    }
    case ListKind::All:
      for (std::uint32_t r = 0; r < graph.size(); ++r) records.push_back(r);
      undefinedNames = undefinedNamesOf(graph);
      break;
    case ListKind::Undefined:
      undefinedNames = undefinedNamesOf(graph);
      break;
    case ListKind::None:
      break;
  }
}

void writeList(const GraphView& view, OutStream& out) {
  std::vector<std::uint32_t> records, undefinedNames;
  listed(view.graph, view.options.list, records, undefinedNames);
  if (view.options.format == GraphFormat::Json) {
    writeListJson(view, records, undefinedNames, out);
    return;
  }
  // Source bytes as they are, one function a line: name, file, line, caption.
  const FunctionTable& table = view.graph.table();
  std::string text;
  for (std::uint32_t r : records) {
    const FuncRecord& record = table.records()[r];
    text.append(record.name);
    text += '\t';
    text.append(record.filename);
    text += '\t' + std::to_string(record.lines) + '\t';
    if (record.comment) text.append(*record.comment);
    text += '\n';
    if (text.size() >= (1 << 16)) {
      out.write(text);
      text.clear();
    }
  }
  for (std::uint32_t name : undefinedNames) {
    text.append(table.nameOf(name));
    text += "\t\t\t\n";
  }
  out.write(text);
}

}  // namespace quenwick
