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
  /// An output for `options` that writes to `document` when no --output file is given.
  GraphOutput(const GraphOptions& options, OutStream& document)
      : options_(options), document_(document) {}

  /// Writes the output; the status is 2 for a name defined nowhere, 1 when the
  /// output or the tree information file could not be written, else 0.
  int write(RunResult& run) override;

 private:
  bool plainTree() const;
  void writeFormat(RunResult& run, const class Query* query, OutStream& out);

  const GraphOptions& options_;
  OutStream& document_;
};

}  // namespace quenwick
