// The format html of quenwick-graph: the call graph as one self-contained HTML page
// that searches and navigates the functions in a browser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "graph/graph_writers.h"
#include "shared/name_list.h"
#include "shared/options.h"

namespace quenwick {

/// What the page needs beyond the graph: how the text tree is drawn.
struct PageInput {
  const Settings& settings;                       // the markers and file-column texts
  const Options& options;                         // -P and captions
  const NameList& leafList;                       // names whose callees are not listed
  const std::vector<std::uint32_t>& callerRoots;  // the roots of the callers trees, in order
};

/// Writes the page: the files of src/graph/page/ with the style sheet and the
/// scripts inlined, the shown records and calls of `view` as data that no byte of
/// the sources can turn into markup, and after the scripts the places of the calls
/// (the format is in the manual page).
void writeHtml(const GraphView& view, const PageInput& page, OutStream& out);

/// Appends `value` in the page's number encoding: base-32 digits, most significant
/// first; the last digit of a number is one of "0123456789ABCDEFGHIJKLMNOPQRSTUV",
/// every other digit one of "WXYZabcdefghijklmnopqrstuvwxyz-_", so that a list of
/// numbers needs no separator.
void appendPageNumber(std::uint64_t value, std::string& out);

}  // namespace quenwick
