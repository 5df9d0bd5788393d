#include "graph/graph_output.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>

#include "config/texts.h"
#include "graph/graph_writers.h"
#include "graph/html_writer.h"
#include "graph/query.h"
#include "platform/pending_file.h"
#include "platform/utf8.h"
#include "tree/call_graph.h"
#include "tree/tree_printer.h"

namespace quenwick {

int GraphOutput::write(RunResult& run) {
  Console& console = run.console;
  std::optional<CallGraph> graph;
  std::optional<Query> query;
  if (!isPlainTree(options_)) {
    graph.emplace(run.functionTable);
    query.emplace(options_, *graph, &run.lists.leafList);
    if (!query->check(console)) return 2;
    if (!options_.sites.empty()) {
      Utf8Converter utf8(textEncoding() == TextEncoding::Cp932);
      Selection none;
      GraphView view{*graph, none, options_, utf8};
      if (!checkSites(view, console)) return 2;
    }
  }
  const Query* asked = query ? &*query : nullptr;
  if (!options_.output) {
    writeFormat(run, asked, standardOutput_);
    if (&standardOutput_ != &console.out) {
      standardOutput_.flush();
      if (standardOutput_.failed()) {
        console.err.write(text(Text::StdoutWriteFailed));
        console.ringBell();
        return 1;
      }
    }
    return run.treeInfoWritten ? 0 : 1;
  }
  PendingFile file;
  OutStream out;
  if (!file.open(*options_.output, out)) {
    console.err.printf(textFormat(Text::GraphCannotCreate), options_.output->c_str(),
                       std::strerror(errno));
    return 1;
  }
  writeFormat(run, asked, out);
  if (!run.treeInfoWritten) {
    out.close();
    return 1;  // the run failed: the file stays as it was
  }
  if (!file.commit(out)) {
    console.err.printf(textFormat(Text::GraphWriteFailed), options_.output->c_str());
    return 1;
  }
  return 0;
}

void GraphOutput::writeFormat(RunResult& run, const Query* query, OutStream& out) {
  TreePrinter printer(run.functionTable, run.lists.leafList, run.settings, run.options);
  if (query == nullptr) {
    printer.printTree(out);
    return;
  }
  const CallGraph& graph = query->graph();
  Selection selection = query->selection();
  if (options_.format == GraphFormat::Text && options_.list == ListKind::None &&
      options_.sites.empty()) {
    // Drawn from the same selection as every other format.
    const std::size_t depth = options_.depth.value_or(std::numeric_limits<std::size_t>::max());
    SelectionFilter calls(selection, false);
    SelectionFilter callers(selection, true);
    if (!selection.treeRoots.empty()) {
      printer.printQuery(out, TreeQuery{selection.treeRoots, false, depth, &calls}, graph);
    }
    if (!selection.callerRoots.empty()) {
      printer.printQuery(out, TreeQuery{selection.callerRoots, true, depth, &callers}, graph);
    }
    return;
  }
  Utf8Converter utf8(textEncoding() == TextEncoding::Cp932);
  Utf8Converter checked(false);
  GraphView view{graph, selection, options_, utf8, &checked};
  if (!options_.sites.empty()) {
    writeSiteList(view, out);
  } else if (options_.list != ListKind::None) {
    writeList(view, out);
  } else if (options_.format == GraphFormat::Dot) {
    writeDot(view, options_.cluster, out);
  } else if (options_.format == GraphFormat::Html) {
    writeHtml(view, PageInput{run.settings, run.options, run.lists.leafList, selection.callerRoots},
              out);
  } else {
    writeJson(view, out);
  }
}

}  // namespace quenwick
