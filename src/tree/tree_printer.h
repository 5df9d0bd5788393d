// The tree printer: the call tree, main first, drawn from the settings.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "config/template_format.h"
#include "platform/out_stream.h"
#include "shared/name_list.h"
#include "shared/options.h"
#include "tree/call_graph.h"
#include "tree/function_table.h"

namespace quenwick {

/// The roots of the whole tree in the order it prints them: every record named
/// "main" that no callee list names, then every other record that none names;
/// macros are never roots. Recomputes the `called` flags.
std::vector<std::uint32_t> treeRoots(FunctionTable& table);

/// What a query keeps of its trees, asked line by line: which lines list their
/// children, and which children they list.
class TreeFilter {
 public:
  virtual ~TreeFilter() = default;
  /// True when a line of the record at `record` lists its children (unless it is
  /// marked as recursion or as already shown).
  virtual bool listsChildren(std::uint32_t record) const = 0;
  /// True when `child` (a call of `parent`, or in a callers tree one of its
  /// callers) has its line below the line of `parent`.
  virtual bool showsChild(std::uint32_t parent, const Call& child) const = 0;
};

/// Trees from chosen roots, in place of the whole tree.
struct TreeQuery {
  std::vector<std::uint32_t> roots;  // the records printed as roots, in order
  bool callers = false;              // the children of a node are its callers, not its callees
  std::size_t maxDepth = std::numeric_limits<std::size_t>::max();  // -P: no children below
  const TreeFilter* filter = nullptr;  // when set, the lines and children that are printed
};

/// Prints the call tree. Depth is limited by memory only: the walk keeps its own
/// stack instead of recursing.
class TreePrinter {
 public:
  /// Prints `table`; `leafList` names print without callees.
  TreePrinter(FunctionTable& table, const NameList& leafList, const Settings& settings,
              const Options& options);

  /// Prints the whole tree on `out`: every uncalled "main", then every other
  /// uncalled record, each with its callees below it.
  void printTree(OutStream& out);
  /// Prints the trees of `query` on `out`, drawn as the whole tree is, with the
  /// calls and callers of `graph`: a record's first line lists the children that
  /// the filter keeps (when it lets the record list any), and its later lines are
  /// marked as already shown. With -P every line lists them, down to
  /// `query.maxDepth`.
  void printQuery(OutStream& out, const TreeQuery& query, const CallGraph& graph);

 private:
  /// One record whose callees are being listed.
  struct Frame {
    FuncRecord* record;  // the record
    std::uint32_t next;  // position of its next callee to print
  };

  static const TreeQuery kWholeTree;

  void start(OutStream& out, const CallGraph* graph);
  void printNode(FuncRecord& root);
  std::size_t childCount(const FuncRecord& parent) const;
  Call childOf(const FuncRecord& parent, std::size_t position) const;
  std::size_t nextShown(const FuncRecord& parent, std::size_t from, std::size_t count) const;
  bool printNodeLine(FuncRecord& record, std::size_t depth);
  void printChild(const Call& child, std::size_t depth);
  void printLinePrefix(const FuncRecord& record, std::size_t depth);
  void printLinePrefix(std::string& kept, std::string_view columnText, std::size_t depth);
  void printTwigs(std::size_t depth);
  void printNameField(std::string_view name, std::size_t depth);
  void setSiblingMore(std::size_t depth, bool more);
  void writeColumn(std::string& kept, std::string_view text);
  std::string formatted(const std::string& format);

  FunctionTable& table_;
  const NameList& leafList_;
  const Settings& settings_;
  const Options& options_;
  OutStream* out_ = nullptr;
  const CallGraph* graph_ = nullptr;      // resolved calls and callers, when printing a query
  const TreeQuery* query_ = &kWholeTree;  // what is printed

  // The templates, parsed once.
  Template belong_, lineno_, nest_, function_;
  // Texts that take no argument, formatted once.
  std::string twig1_, twig2_, twig3_, twig4_, recursion_, multi_, expanded_;
  std::string nobelongColumn_, multibelongColumn_;  // file columns of callee lines, when short
  std::vector<std::string> fileColumns_;  // file column of each file, by file key, when short
  std::vector<std::string> nestTexts_;    // depth marker of each depth, while they are short
  bool nestTextsShort_ = true;            // false once a depth marker was too long to keep

  int lineNoWidth = 0;                 // width of " %d " for the largest line number
  std::size_t blankLineNoWidth_ = 0;   // width of a line-number column without a number
  std::vector<bool> siblingMore;       // at each depth: later callees follow
  std::vector<bool> onPath_;           // by record position: an ancestor of the current line
  std::string twigPath_;               // twig1/twig2 texts for the depths on the path
  std::vector<std::size_t> twigEnds_;  // end of each depth's text in `twigPath_`
  std::vector<Frame> ancestorStack;    // the records whose callees are being listed
};

}  // namespace quenwick
