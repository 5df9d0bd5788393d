#include <string>
#include <vector>

#include "graph/escape.h"
#include "graph/graph_writers.h"

namespace quenwick {

namespace {

/// One edge of the drawing: a call from a shown record.
struct Edge {
  std::uint32_t from;  // the caller
  std::uint32_t to;    // the callee's record, or the index of a name's node
  enum Kind { Defined, Undefined, Several } kind;
};

/// The names that are nodes of their own, each in the order first met: those
/// called but defined nowhere, and those called with several candidate
/// definitions (one node for all of them, however many calls there are).
struct NameNodes {
  std::vector<std::uint32_t> undefined;  // name keys
  std::vector<std::uint32_t> several;    // name keys
};

/// The shown calls of every shown record, in table and call order.
std::vector<Edge> shownEdges(const GraphView& view, NameNodes& names) {
  const CallGraph& graph = view.graph;
  const Selection& selection = view.selection;
  std::vector<Edge> edges;
  std::vector<std::uint32_t> nodeOfName(graph.table().nameCount(), UINT32_MAX);
  auto nodeOf = [&](std::uint32_t name, std::vector<std::uint32_t>& list) {
    if (nodeOfName[name] == UINT32_MAX) {
      nodeOfName[name] = static_cast<std::uint32_t>(list.size());
      list.push_back(name);
    }
    return nodeOfName[name];
  };
  for (std::uint32_t r = 0; r < graph.size(); ++r) {
    if (!selection.shown[r]) continue;
    for (const Call& call : graph.calls(r)) {
      if (call.count == 1) {
        if (selection.edge(r, call.definition)) {
          edges.push_back({r, call.definition, Edge::Defined});
        }
      } else if (call.count == 0) {
        if (selection.undefinedEdge(r)) {
          edges.push_back({r, nodeOf(call.name, names.undefined), Edge::Undefined});
        }
      } else if (selection.ambiguousEdge(r, call.name)) {
        edges.push_back({r, nodeOf(call.name, names.several), Edge::Several});
      }
    }
  }
  return edges;
}

/// Marks the edges that close a cycle: in a depth-first walk from the roots (then
/// from every other node, in table order), those that lead back to a node on the
/// walk's path. The walk keeps its own stack.
std::vector<bool> cycleEdges(const GraphView& view, const std::vector<Edge>& edges) {
  const std::uint32_t n = view.graph.size();
  std::vector<std::size_t> begin(n + 1, 0);
  for (const Edge& edge : edges) ++begin[edge.from + 1];
  for (std::uint32_t r = 0; r < n; ++r) begin[r + 1] += begin[r];
  enum State : std::uint8_t { Unseen, OnPath, Done };
  std::vector<State> state(n, Unseen);
  std::vector<bool> closes(edges.size(), false);
  struct Frame {
    std::uint32_t record;
    std::size_t next;  // the next edge to follow
  };
  std::vector<Frame> path;
  auto walkFrom = [&](std::uint32_t start) {
    if (state[start] != Unseen || !view.selection.shown[start]) return;
    state[start] = OnPath;
    path.push_back({start, begin[start]});
    while (!path.empty()) {
      Frame& frame = path.back();
      if (frame.next == begin[frame.record + 1]) {
        state[frame.record] = Done;
        path.pop_back();
        continue;
      }
      const std::size_t e = frame.next++;
      if (edges[e].kind != Edge::Defined) continue;
      const std::uint32_t to = edges[e].to;
      if (state[to] == OnPath) {
        closes[e] = true;
      } else if (state[to] == Unseen) {
        state[to] = OnPath;
        path.push_back({to, begin[to]});
      }
    }
  };
  for (std::uint32_t root : view.selection.roots) walkFrom(root);
  for (std::uint32_t r = 0; r < n; ++r) walkFrom(r);
  return closes;
}

/// The node statement of a shown record: name and file:line, the caption as tooltip.
void appendNode(const GraphView& view, const FuncRecord& record, std::string& out) {
  std::string name, place;
  out += "  f" + std::to_string(record.index) + " [label=";
  view.textsOf(record).append(record.name, name);
  view.utf8.append(record.filename, place);
  place += ':' + std::to_string(record.lines);
  appendDotLabel(name, place, out);
  std::string scratch;
  if (record.comment && !record.comment->empty()) {
    view.textsOf(record).append(*record.comment, scratch);
    out += ", tooltip=";
    appendDotString(scratch, out);
  }
  out += "];\n";
}

}  // namespace

void writeDot(const GraphView& view, bool cluster, OutStream& out) {
  const FunctionTable& table = view.graph.table();
  NameNodes names;
  const std::vector<Edge> edges = shownEdges(view, names);
  const std::vector<bool> closes = cycleEdges(view, edges);
  std::string text =
      "digraph calls {\n"
      "  charset=\"UTF-8\";\n"
      "  rankdir=LR;\n"
      "  node [shape=box, fontsize=10];\n";
  auto flushIfLarge = [&] {
    if (text.size() < (1 << 16)) return;
    out.write(text);
    text.clear();
  };
  if (cluster) {
    // One cluster per file, in the order the files first hold a shown definition.
    std::vector<std::vector<std::uint32_t>> byFile;
    std::vector<std::uint32_t> slotOfFile;
    for (const FuncRecord& record : table.records()) {
      if (!view.selection.shown[record.index]) continue;
      if (slotOfFile.size() <= record.fileId) slotOfFile.resize(record.fileId + 1, UINT32_MAX);
      if (slotOfFile[record.fileId] == UINT32_MAX) {
        slotOfFile[record.fileId] = static_cast<std::uint32_t>(byFile.size());
        byFile.emplace_back();
      }
      byFile[slotOfFile[record.fileId]].push_back(record.index);
    }
    for (std::size_t c = 0; c < byFile.size(); ++c) {
      std::string file;
      view.utf8.append(table.records()[byFile[c].front()].filename, file);
      text += "  subgraph cluster_" + std::to_string(c) + " {\n    label=";
      appendDotString(file, text);
      text += ";\n";
      for (std::uint32_t r : byFile[c]) {
        text += "  ";
        appendNode(view, table.records()[r], text);
        flushIfLarge();
      }
      text += "  }\n";
    }
  } else {
    for (const FuncRecord& record : table.records()) {
      if (!view.selection.shown[record.index]) continue;
      appendNode(view, record, text);
      flushIfLarge();
    }
  }
  for (std::size_t u = 0; u < names.undefined.size(); ++u) {
    std::string name;
    view.utf8.append(table.nameOf(names.undefined[u]), name);
    text += "  u" + std::to_string(u) + " [label=";
    appendDotString(name, text);
    text += ", style=dashed];\n";
    flushIfLarge();
  }
  for (std::size_t m = 0; m < names.several.size(); ++m) {
    std::string name;
    view.utf8.append(table.nameOf(names.several[m]), name);
    const std::size_t count = view.graph.definitions(names.several[m]).size();
    text += "  m" + std::to_string(m) + " [label=";
    appendDotLabel(name, std::to_string(count) + " definitions", text);
    text += ", style=dotted];\n";
    flushIfLarge();
  }
  for (std::size_t e = 0; e < edges.size(); ++e) {
    const Edge& edge = edges[e];
    text += "  f" + std::to_string(edge.from) + " -> ";
    text += (edge.kind == Edge::Defined     ? "f"
             : edge.kind == Edge::Undefined ? "u"
                                            : "m") +
            std::to_string(edge.to);
    if (edge.kind == Edge::Undefined) text += " [style=dashed]";
    if (edge.kind == Edge::Several) text += " [style=dotted]";
    if (closes[e]) text += " [color=red, penwidth=2]";
    text += ";\n";
    flushIfLarge();
  }
  text += "}\n";
  out.write(text);
}

}  // namespace quenwick
