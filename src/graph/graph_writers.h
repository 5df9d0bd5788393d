// The graph formats of quenwick-graph: JSON, DOT, and the lists.
#pragma once

#include <string>

#include "graph/graph_options.h"
#include "graph/query.h"
#include "platform/console.h"
#include "platform/out_stream.h"
#include "platform/utf8.h"
#include "tree/call_graph.h"

namespace quenwick {

/// What every writer reads: the graph, the part of it to show, and how texts
/// become UTF-8.
struct GraphView {
  const CallGraph& graph;       // every record's calls and callers
  const Selection& selection;   // the records and calls shown
  const GraphOptions& options;  // the query, written into the JSON document
  Utf8Converter& utf8;          // names, file names and captions into UTF-8
  Utf8Converter* checked = nullptr;  // texts of sources the C scan read as UTF-8, checked

  /// What makes the texts of `record`'s source UTF-8: the scan knows the
  /// encoding of each source it read; otherwise QUENWICK_ENCODING says.
  Utf8Converter& textsOf(const FuncRecord& record) const {
    const SourceEncoding* encoding = graph.table().fileEncoding(record.fileId);
    if (encoding == nullptr || checked == nullptr) return utf8;
    return *encoding == SourceEncoding::Utf8 ? *checked : utf8;
  }
};

/// Writes the shown records and calls as one JSON document (the schema is in the
/// manual page).
void writeJson(const GraphView& view, OutStream& out);

/// Writes the shown records and calls as a Graphviz digraph: a node per definition,
/// a dashed node per name without definition, a dotted node per name with several
/// candidate definitions, red edges for calls that close a cycle. With `cluster`,
/// the definitions of each file are grouped.
void writeDot(const GraphView& view, bool cluster, OutStream& out);

/// Writes the records of --list, one per line (name, file, line and caption
/// separated by tabs), or as a JSON document.
void writeList(const GraphView& view, OutStream& out);

/// Writes `records` and `undefinedNames` as the JSON document of --list.
void writeListJson(const GraphView& view, const std::vector<std::uint32_t>& records,
                   const std::vector<std::uint32_t>& undefinedNames, OutStream& out);

/// Checks that every NAME@FILE of --sites names a definition in FILE (a NAME alone
/// may be defined nowhere: its calls are still listed); false, after a one-line
/// message on `console.err`, when one does not.
bool checkSites(const GraphView& view, Console& console);

/// Writes every place where the --sites names are called, one line each as
/// "FILE:LINE:COLUMN: CALLER" in the order of the sources, or as a JSON document.
void writeSiteList(const GraphView& view, OutStream& out);

/// The records that --list lists, in order, and the names without definition it
/// lists (for "undefined" and "all").
void listed(const CallGraph& graph, ListKind kind, std::vector<std::uint32_t>& records,
            std::vector<std::uint32_t>& undefinedNames);

}  // namespace quenwick
