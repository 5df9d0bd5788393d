// quenwick-graph's output: the trees, lists or graphs that its options ask for.
#pragma once

#include "driver/program.h"
#include "graph/graph_options.h"

namespace quenwick {

/// Writes what `options` ask for once the driver has built the function table:
/// to standard output, or to the --output file, which takes its place only when
/// the run succeeds.
class GraphOutput : public Output {
 public:
  /// An output for `options`, with `standardOutput` as standard output; when it is
  /// not the driver's own, its write errors are reported here.
  GraphOutput(const GraphOptions& options, OutStream& standardOutput)
      : options_(options), standardOutput_(standardOutput) {}

  /// True when the output is quenwick's own tree: no query, no list, text.
  static bool isPlainTree(const GraphOptions& options) {
    return !options.hasQuery() && options.list == ListKind::None && options.sites.empty() &&
           options.format == GraphFormat::Text;
  }

  /// Writes the output; the status is 2 for a name defined nowhere, 1 when the
  /// output or the tree information file could not be written, else 0.
  int write(RunResult& run) override;

 private:
  void writeFormat(RunResult& run, const class Query* query, OutStream& out);

  const GraphOptions& options_;
  OutStream& standardOutput_;
};

}  // namespace quenwick
