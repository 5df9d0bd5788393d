#include "tree/tree_printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "captured_fd.h"
#include "printf_reference.h"

namespace quenwick {
namespace {

// The tree printed the plain way: recursion on the native stack, a walk over the
// whole table for every callee and for every called flag.
class ReferencePrinter {
 public:
  ReferencePrinter(const FunctionTable& table, const NameList& leafList, const Settings& settings,
                   const Options& options)
      : table_(table), leafList_(leafList), s_(settings), options_(options) {}

  std::string printTree() {
    const auto& records = table_.records();
    called_.assign(records.size(), false);
    expanded_.assign(records.size(), false);
    for (std::size_t r = 0; r < records.size(); ++r) {
      for (const FuncRecord& caller : records) {
        for (std::uint32_t id : table_.Sons(caller)) {
          if (table_.nameOf(id) == records[r].name) called_[r] = true;
        }
      }
    }
    lineNoWidth_ = static_cast<int>(printfOf(" %d ", table_.maxLineNo).size());
    for (std::size_t r = 0; r < records.size(); ++r) {
      if (records[r].name == "main" && !called_[r]) {
        printNode(r, 0);
        called_[r] = true;
      }
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
      if (!called_[r]) printNode(r, 0);
    }
    return out_;
  }

 private:
  void printNode(std::size_t r, std::size_t d) {
    const FuncRecord& record = table_.records()[r];
    prefix(std::string(record.filename), record.lines, d);
    nameField(std::string(record.name), d);
    bool recursive =
        std::find(ancestors_.begin(), ancestors_.begin() + d, r) != ancestors_.begin() + d;
    bool repeat = false;
    if (recursive) {
      out_ += s_.recursion;
    } else if (expanded_[r] && options_.markExpanded) {
      out_ += s_.expanded;
      repeat = true;
    }
    expanded_[r] = true;
    if (options_.showComments && record.comment && !record.comment->empty()) {
      out_ += "\t" + *record.comment;
    }
    out_ += "\n";
    if (recursive || repeat || leafList_.containsName(record.name)) return;
    ancestors_.resize(d + 1);
    ancestors_[d] = r;
    auto sons = table_.Sons(record);
    for (std::size_t i = 0; i < sons.size(); ++i) {
      siblingMore_.resize(std::max(siblingMore_.size(), d + 1));
      siblingMore_[d] = i + 1 < sons.size();
      std::string callee(table_.nameOf(sons[i]));
      auto [count, first] = resolve(callee, std::string(record.filename));
      if (count == 1) {
        printNode(first, d + 1);
        continue;
      }
      if (count == 0) {
        prefix(s_.nobelong, -1, d + 1);
      } else if (options_.multiDetail) {
        const FuncRecord& m = table_.records()[first];
        prefix(std::string(m.filename), m.lines, d + 1);
      } else {
        prefix(s_.multibelong, -1, d + 1);
      }
      nameField(callee, d + 1);
      if (count > 1) out_ += s_.multi;
      out_ += "\n";
    }
  }

  std::pair<int, std::size_t> resolve(const std::string& name, const std::string& file) {
    int same = 0, other = 0;
    std::size_t firstSame = 0, firstOther = 0;
    const auto& records = table_.records();
    for (std::size_t r = 0; r < records.size(); ++r) {
      if (records[r].name != name) continue;
      if (records[r].filename == file) {
        if (same++ == 0) firstSame = r;
      } else if (other++ == 0) {
        firstOther = r;
      }
    }
    return same > 0 ? std::pair{same, firstSame} : std::pair{other, firstOther};
  }

  void prefix(const std::string& column, int line, std::size_t d) {
    out_ += printfOf(s_.belong, static_cast<int>(table_.maxFileNameLen), column.c_str());
    if (line != -1) {
      out_ += printfOf(s_.lineno, lineNoWidth_ - 2, line);
    } else {
      out_ += std::string(printfOf(s_.lineno, lineNoWidth_ - 2, 1).size(), ' ');
    }
    for (std::size_t i = 0; i + 2 <= d; ++i) out_ += siblingMore_[i] ? s_.twig1 : s_.twig2;
    if (d > 0) out_ += siblingMore_[d - 1] ? s_.twig3 : s_.twig4;
  }

  void nameField(const std::string& name, std::size_t d) {
    out_ += printfOf(s_.nest, static_cast<int>(d));
    out_ += printfOf(s_.function, name.c_str());
  }

  const FunctionTable& table_;
  const NameList& leafList_;
  const Settings& s_;
  const Options& options_;
  std::vector<bool> called_, expanded_, siblingMore_;
  std::vector<std::size_t> ancestors_;
  int lineNoWidth_ = 0;
  std::string out_;
};

std::string printed(FunctionTable& table, const NameList& leafList, const Settings& settings,
                    const Options& options) {
  CapturedFd file;
  OutStream out(file.fd());
  TreePrinter(table, leafList, settings, options).printTree(out);
  out.flush();
  return file.contents();
}

// Random tables of a few names over three files, with recursion, repeated
// branches, several definitions and undefined callees, printed with every
// combination of the options and with two drawing styles.
TEST(TreePrinterTest, PrintsWhatThePlainRecursiveWalkPrints) {
  const std::vector<std::string> names = {"main", "a", "b", "c", "d", "e", "printf"};
  const std::vector<std::string> files = {"x.c", "y.c", "a_long_file_name.c"};
  std::mt19937 random(20261209);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    FunctionTable table;
    std::size_t records = 1 + pick(8);
    for (std::size_t r = 0; r < records; ++r) {
      std::string caption = pick(3) == 0 ? "cap " + std::to_string(r) : "";
      FuncRecord& record = table.appendFuncRecord(table.createFuncRecord(
          names[pick(names.size() - 1)], files[pick(files.size())],
          static_cast<int>(1 + pick(trial % 2 ? 9 : 150)), &caption, pick(4) != 0));
      std::vector<std::string> sons;
      for (std::size_t k = pick(4); k > 0; --k) {
        const std::string& callee = names[pick(names.size())];
        if (std::find(sons.begin(), sons.end(), callee) == sons.end()) sons.push_back(callee);
      }
      for (const std::string& callee : sons) table.addCallee(record, callee);
    }
    NameList leafList;
    if (pick(4) == 0) leafList.appendName(names[1 + pick(4)]);
    Settings settings;
    if (trial % 3 == 0) {
      settings.belong = "[%*s]";
      settings.lineno = "%0*d:";
      settings.nest = "(%02d)";
      settings.function = "%s";
      settings.twig1 = "| ";
      settings.twig2 = "  ";
      settings.twig3 = "+ ";
      settings.twig4 = "` ";
      settings.nobelong = "?";
    }
    Options options;
    options.markExpanded = trial % 4 < 2;
    options.multiDetail = trial % 8 >= 4;
    options.showComments = trial % 16 < 12;
    std::string want = ReferencePrinter(table, leafList, settings, options).printTree();
    ASSERT_EQ(printed(table, leafList, settings, options), want);
  }
}

}  // namespace
}  // namespace quenwick
