#include "tree/tree_printer.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace quenwick {

const TreeQuery TreePrinter::kWholeTree{};

std::vector<std::uint32_t> treeRoots(FunctionTable& table) {
  table.markCalled();
  std::vector<std::uint32_t> roots;
  // A macro that nothing calls starts no chain of calls.
  auto isRoot = [](const FuncRecord& record) {
    return !record.called && record.kind != DefinitionKind::Macro;
  };
  for (const FuncRecord& record : table.records()) {
    if (record.name == "main" && isRoot(record)) roots.push_back(record.index);
  }
  for (const FuncRecord& record : table.records()) {
    if (record.name != "main" && isRoot(record)) roots.push_back(record.index);
  }
  return roots;
}

namespace {

/// Formatted output straight into an output stream.
class StreamSink : public FormatSink {
 public:
  explicit StreamSink(OutStream& out) : out_(out) {}
  void write(std::string_view bytes) override { out_.write(bytes); }
  void pad(char c, std::size_t count) override { out_.pad(c, count); }

 private:
  OutStream& out_;
};

// Formatted texts up to this length are kept for reuse; longer ones (from templates
// with large widths) are formatted again each time instead of held in memory.
constexpr std::size_t kKeptTextLimit = 256;

int widthArgument(unsigned width) {
  return width > INT_MAX ? INT_MAX : static_cast<int>(width);
}

int depthArgument(std::size_t depth) {
  return static_cast<int>(std::min<std::size_t>(depth, INT_MAX));
}

}  // namespace

TreePrinter::TreePrinter(FunctionTable& table, const NameList& leafList, const Settings& settings,
                         const Options& options)
    : table_(table),
      leafList_(leafList),
      settings_(settings),
      options_(options),
      belong_(settings.belong),
      lineno_(settings.lineno),
      nest_(settings.nest),
      function_(settings.function),
      twig1_(formatted(settings.twig1)),
      twig2_(formatted(settings.twig2)),
      twig3_(formatted(settings.twig3)),
      twig4_(formatted(settings.twig4)),
      recursion_(formatted(settings.recursion)),
      multi_(formatted(settings.multi)),
      expanded_(formatted(settings.expanded)) {}

// A template written with no argument: a conversion stands for its own text.
std::string TreePrinter::formatted(const std::string& format) {
  return Template(format).toString({});
}

void TreePrinter::printTree(OutStream& out) {
  start(out, nullptr);
  for (std::uint32_t root : treeRoots(table_)) {
    FuncRecord& record = table_.records()[root];
    printNode(record);
    if (record.name == "main") record.called = true;
  }
}

void TreePrinter::printQuery(OutStream& out, const TreeQuery& query, const CallGraph& graph) {
  start(out, &graph);
  query_ = &query;
  for (std::uint32_t root : query.roots) {
    printNode(table_.records()[root]);
  }
  query_ = &kWholeTree;
}

// Readies a printing: flags, column widths, and the texts kept between lines.
void TreePrinter::start(OutStream& out, const CallGraph* graph) {
  out_ = &out;
  graph_ = graph;
  query_ = &kWholeTree;
  table_.clearExpanded();
  lineNoWidth = std::snprintf(nullptr, 0, " %d ", table_.maxLineNo);
  // A callee line without a number gets a blank column exactly as wide as a filled one.
  blankLineNoWidth_ = lineno_.measure({lineNoWidth - 2, 1});
  nobelongColumn_.clear();
  multibelongColumn_.clear();
  siblingMore.assign(1, false);
  twigEnds_.assign(1, 0);
  twigPath_.clear();
  onPath_.assign(table_.records().size(), false);
  fileColumns_.clear();
  nestTexts_.clear();
  nestTextsShort_ = true;
}

// Prints `root` at depth 0 and, depth first, everything below it.
void TreePrinter::printNode(FuncRecord& root) {
  if (!printNodeLine(root, 0)) return;
  ancestorStack.clear();
  ancestorStack.push_back(Frame{&root, 0});
  onPath_[root.index] = true;
  while (!ancestorStack.empty()) {
    std::size_t depth = ancestorStack.size() - 1;
    Frame& frame = ancestorStack.back();
    FuncRecord* parent = frame.record;
    const std::size_t count = childCount(*parent);
    frame.next = nextShown(*parent, frame.next, count);
    if (frame.next == count) {
      onPath_[parent->index] = false;
      ancestorStack.pop_back();
      continue;
    }
    Call child = childOf(*parent, frame.next++);
    setSiblingMore(depth, nextShown(*parent, frame.next, count) < count);
    printChild(child, depth);
  }
}

std::size_t TreePrinter::childCount(const FuncRecord& parent) const {
  return query_->callers ? graph_->callers(parent.index).size() : table_.Sons(parent).size();
}

// The child at `position` of `parent`'s list: a callee, resolved, or a caller.
Call TreePrinter::childOf(const FuncRecord& parent, std::size_t position) const {
  if (query_->callers) {
    const std::uint32_t caller = graph_->callers(parent.index)[position];
    return Call{table_.records()[caller].nameId, 1, caller};
  }
  if (graph_ != nullptr) return graph_->calls(parent.index)[position];
  Call call;
  call.name = table_.Sons(parent)[position];
  FuncRecord* definition = nullptr;
  call.count = table_.resolveCallee(call.name, parent, definition);
  if (definition != nullptr) call.definition = definition->index;
  return call;
}

// The first position from `from` on whose child is shown (`count` when none is).
std::size_t TreePrinter::nextShown(const FuncRecord& parent, std::size_t from,
                                   std::size_t count) const {
  const TreeFilter* filter = query_->filter;
  if (filter == nullptr) return from;
  while (from < count && !filter->showsChild(parent.index, childOf(parent, from))) ++from;
  return from;
}

// Writes the line of `record` at `depth`; true when its children are to be listed.
// A record lists them at its first line only, all that the filter keeps, wherever
// that line stands; its later lines are marked as already shown. With -P every
// line lists them, down to the depth of the query.
bool TreePrinter::printNodeLine(FuncRecord& record, std::size_t depth) {
  const bool recursive = onPath_[record.index];
  const bool repeat = !recursive && record.expanded && options_.markExpanded;
  record.expanded = true;
  printLinePrefix(record, depth);
  printNameField(record.name, depth);
  if (recursive) out_->write(recursion_);
  if (repeat) out_->write(expanded_);
  if (options_.showComments && record.comment && !record.comment->empty()) {
    out_->put('\t');
    out_->write(*record.comment);
  }
  out_->put('\n');
  if (recursive || repeat) return false;
  if (!options_.markExpanded && depth >= query_->maxDepth) return false;
  if (query_->filter != nullptr && !query_->filter->listsChildren(record.index)) return false;
  return query_->callers || !leafList_.containsName(record.name);
}

// Writes the line or the subtree of one child of a node at `depth`.
void TreePrinter::printChild(const Call& child, std::size_t depth) {
  const int count = child.count;
  if (count == 1) {
    FuncRecord* definition = &table_.records()[child.definition];
    if (printNodeLine(*definition, depth + 1)) {
      onPath_[definition->index] = true;
      ancestorStack.push_back(Frame{definition, 0});
    }
    return;
  }
  if (count == 0) {
    printLinePrefix(nobelongColumn_, settings_.nobelong, depth + 1);
  } else if (options_.multiDetail) {
    printLinePrefix(table_.records()[child.definition], depth + 1);
  } else {
    printLinePrefix(multibelongColumn_, settings_.multibelong, depth + 1);
  }
  printNameField(table_.nameOf(child.name), depth + 1);
  if (count > 1) out_->write(multi_);
  out_->put('\n');
}

// The line prefix of a record's line: its file column, its line number, the twigs.
void TreePrinter::printLinePrefix(const FuncRecord& record, std::size_t depth) {
  if (fileColumns_.size() <= record.fileId) fileColumns_.resize(record.fileId + 1);
  writeColumn(fileColumns_[record.fileId], record.filename);
  StreamSink sink(*out_);
  lineno_.format({lineNoWidth - 2, record.lines}, sink);
  printTwigs(depth);
}

// The line prefix of a callee line without a record: `columnText` (nobelong or
// multibelong) in the file column, kept formatted in `kept`, and a blank number.
void TreePrinter::printLinePrefix(std::string& kept, std::string_view columnText,
                                  std::size_t depth) {
  writeColumn(kept, columnText);
  out_->pad(' ', blankLineNoWidth_);
  printTwigs(depth);
}

// The twigs of a line at `depth`: one for each outer level, then its own level's.
void TreePrinter::printTwigs(std::size_t depth) {
  if (depth == 0) return;
  if (depth >= 2) out_->write(std::string_view(twigPath_).substr(0, twigEnds_[depth - 2]));
  out_->write(siblingMore[depth - 1] ? twig3_ : twig4_);
}

void TreePrinter::printNameField(std::string_view name, std::size_t depth) {
  StreamSink sink(*out_);
  if (nestTextsShort_) {
    while (nestTexts_.size() <= depth && nestTextsShort_) {
      nestTexts_.push_back(nest_.toString({depthArgument(nestTexts_.size())}));
      nestTextsShort_ = nestTexts_.back().size() <= kKeptTextLimit;
    }
    if (nestTextsShort_) {
      out_->write(nestTexts_[depth]);
    } else {
      nestTexts_.clear();
      nest_.format({depthArgument(depth)}, sink);
    }
  } else {
    nest_.format({depthArgument(depth)}, sink);
  }
  function_.format({name}, sink);
}

// Records whether later callees follow at `depth`, and the twig that the lines
// below draw for that depth.
void TreePrinter::setSiblingMore(std::size_t depth, bool more) {
  if (siblingMore.size() <= depth) {
    siblingMore.resize(depth + 1);
    twigEnds_.resize(depth + 1);
  }
  siblingMore[depth] = more;
  twigPath_.resize(depth == 0 ? 0 : twigEnds_[depth - 1]);
  twigPath_.append(more ? twig1_ : twig2_);
  twigEnds_[depth] = twigPath_.size();
}

// Writes the file column showing `text`; it is formatted once into `kept` while
// it is short enough to keep.
void TreePrinter::writeColumn(std::string& kept, std::string_view text) {
  std::initializer_list<TemplateArg> args = {widthArgument(table_.maxFileNameLen), text};
  if (kept.empty() && belong_.measure(args) <= kKeptTextLimit) kept = belong_.toString(args);
  if (!kept.empty()) {
    out_->write(kept);
    return;
  }
  StreamSink sink(*out_);
  belong_.format(args, sink);
}

}  // namespace quenwick
