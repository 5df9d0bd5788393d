#include "tree/tree_printer.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace quenwick {

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

int widthArgument(unsigned width) { return width > INT_MAX ? INT_MAX : static_cast<int>(width); }

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
  out_ = &out;
  table_.markCalled();
  table_.clearExpanded();
  lineNoWidth = std::snprintf(nullptr, 0, " %d ", table_.maxLineNo);
  // A callee line without a number gets a blank column exactly as wide as a filled one.
  std::string blankLineNo(lineno_.measure({lineNoWidth - 2, 1}), ' ');
  int fileWidth = widthArgument(table_.maxFileNameLen);
  nobelongHead_ = belong_.toString({fileWidth, std::string_view(settings_.nobelong)}) + blankLineNo;
  multibelongHead_ =
      belong_.toString({fileWidth, std::string_view(settings_.multibelong)}) + blankLineNo;
  siblingMore.assign(1, false);
  twigEnds_.assign(1, 0);
  twigPath_.clear();
  onPath_.assign(table_.records().size(), false);
  fileColumns_.clear();
  recordTexts_.assign(table_.records().size(), RecordTexts{});
  recordTextsReady_.assign(table_.records().size(), false);

  for (FuncRecord& record : table_.records()) {
    if (record.name == "main" && !record.called) {
      printNode(record);
      record.called = true;
    }
  }
  for (FuncRecord& record : table_.records()) {
    if (!record.called) printNode(record);
  }
}

// Prints `root` at depth 0 and, depth first, everything below it.
void TreePrinter::printNode(FuncRecord& root) {
  if (!printNodeLine(root, 0)) return;
  ancestorStack.clear();
  ancestorStack.push_back(Frame{&root, root.Sons.begin()});
  onPath_[root.index] = true;
  while (!ancestorStack.empty()) {
    std::size_t depth = ancestorStack.size() - 1;
    Frame& frame = ancestorStack.back();
    FuncRecord* caller = frame.record;
    if (frame.next == caller->Sons.end()) {
      onPath_[caller->index] = false;
      ancestorStack.pop_back();
      continue;
    }
    const std::string& callee = *frame.next;
    ++frame.next;
    setSiblingMore(depth, !(frame.next == caller->Sons.end()));
    printCallee(callee, *caller, depth);
  }
}

// Writes the line of `record` at `depth`; true when its callees are to be listed.
bool TreePrinter::printNodeLine(FuncRecord& record, std::size_t depth) {
  const RecordTexts& texts = textsOf(record);
  out_->write(texts.head);
  printTwigs(depth);
  printNest(depth);
  out_->write(texts.name);
  bool recursive = onPath_[record.index];
  bool repeat = false;
  if (recursive) {
    out_->write(recursion_);
  } else if (record.expanded && options_.markExpanded) {
    out_->write(expanded_);
    repeat = true;
  }
  record.expanded = true;
  if (options_.showComments && record.comment && !record.comment->empty()) {
    out_->put('\t');
    out_->write(*record.comment);
  }
  out_->put('\n');
  return !recursive && !repeat && !leafList_.containsName(record.name);
}

// Writes the line or the subtree of one callee of `caller`, which is at `depth`.
void TreePrinter::printCallee(const std::string& callee, FuncRecord& caller, std::size_t depth) {
  FuncRecord* definition = nullptr;
  int count = table_.resolveCallee(callee, caller, definition);
  if (count == 1) {
    if (printNodeLine(*definition, depth + 1)) {
      onPath_[definition->index] = true;
      ancestorStack.push_back(Frame{definition, definition->Sons.begin()});
    }
    return;
  }
  if (count == 0) {
    out_->write(nobelongHead_);
    printTwigs(depth + 1);
    printNest(depth + 1);
    StreamSink sink(*out_);
    function_.format({std::string_view(callee)}, sink);
  } else {
    // The first candidate has the callee's name, so its name field serves.
    const RecordTexts& texts = textsOf(*definition);
    out_->write(options_.multiDetail ? texts.head : multibelongHead_);
    printTwigs(depth + 1);
    printNest(depth + 1);
    out_->write(texts.name);
    out_->write(multi_);
  }
  out_->put('\n');
}

// The twigs of a line at `depth`: one per outer level, then the line's own.
void TreePrinter::printTwigs(std::size_t depth) {
  if (depth == 0) return;
  if (depth >= 2) out_->write(std::string_view(twigPath_).substr(0, twigEnds_[depth - 2]));
  out_->write(siblingMore[depth - 1] ? twig3_ : twig4_);
}

void TreePrinter::printNest(std::size_t depth) {
  while (nestTexts_.size() <= depth) {
    int level = static_cast<int>(std::min<std::size_t>(nestTexts_.size(), INT_MAX));
    nestTexts_.push_back(nest_.toString({level}));
  }
  out_->write(nestTexts_[depth]);
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

// The file and line-number columns and the name field of `record`, formatted once.
const TreePrinter::RecordTexts& TreePrinter::textsOf(const FuncRecord& record) {
  RecordTexts& texts = recordTexts_[record.index];
  if (recordTextsReady_[record.index]) return texts;
  if (fileColumns_.size() <= record.fileId) fileColumns_.resize(record.fileId + 1);
  std::string& column = fileColumns_[record.fileId];
  // Made once per file (an empty one, from an unusual template, is made each time).
  if (column.empty()) {
    column = belong_.toString({widthArgument(table_.maxFileNameLen), record.filename});
  }
  texts.head = column;
  if (record.lines == -1) {
    // -1 stands for "no line number" in the column, also for a record.
    texts.head.append(lineno_.measure({lineNoWidth - 2, 1}), ' ');
  } else {
    texts.head += lineno_.toString({lineNoWidth - 2, record.lines});
  }
  texts.name = function_.toString({record.name});
  recordTextsReady_[record.index] = true;
  return texts;
}

}  // namespace quenwick
