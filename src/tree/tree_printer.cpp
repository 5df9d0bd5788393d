#include "tree/tree_printer.h"

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
  blankLineNoWidth_ = lineno_.measure({lineNoWidth - 2, 1});
  int fileWidth = widthArgument(table_.maxFileNameLen);
  nobelongColumn_ = belong_.toString({fileWidth, std::string_view(settings_.nobelong)});
  multibelongColumn_ = belong_.toString({fileWidth, std::string_view(settings_.multibelong)});
  siblingMore.assign(1, false);
  twigEnds_.assign(1, 0);
  twigPath_.clear();
  onPath_.assign(table_.records().size(), false);

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
  printLinePrefix(fileColumn(record), record.lines, depth);
  printNameField(record.name, depth);
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
    printLinePrefix(nobelongColumn_, -1, depth + 1);
  } else if (options_.multiDetail) {
    printLinePrefix(fileColumn(*definition), definition->lines, depth + 1);
  } else {
    printLinePrefix(multibelongColumn_, -1, depth + 1);
  }
  printNameField(callee, depth + 1);
  if (count > 1) out_->write(multi_);
  out_->put('\n');
}

void TreePrinter::printLinePrefix(std::string_view column, int lineNumber, std::size_t depth) {
  StreamSink sink(*out_);
  out_->write(column);
  if (lineNumber != -1) {
    lineno_.format({lineNoWidth - 2, lineNumber}, sink);
  } else {
    out_->pad(' ', blankLineNoWidth_);
  }
  if (depth == 0) return;
  if (depth >= 2) out_->write(std::string_view(twigPath_).substr(0, twigEnds_[depth - 2]));
  out_->write(siblingMore[depth - 1] ? twig3_ : twig4_);
}

void TreePrinter::printNameField(std::string_view name, std::size_t depth) {
  StreamSink sink(*out_);
  nest_.format({static_cast<int>(std::min<std::size_t>(depth, INT_MAX))}, sink);
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

std::string_view TreePrinter::fileColumn(const FuncRecord& record) {
  if (fileColumns_.size() <= record.fileId) {
    fileColumns_.resize(record.fileId + 1);
    fileColumnReady_.resize(record.fileId + 1);
  }
  if (!fileColumnReady_[record.fileId]) {
    fileColumns_[record.fileId] =
        belong_.toString({widthArgument(table_.maxFileNameLen), record.filename});
    fileColumnReady_[record.fileId] = true;
  }
  return fileColumns_[record.fileId];
}

}  // namespace quenwick
