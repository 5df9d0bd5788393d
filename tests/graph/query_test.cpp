#include "graph/query.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenwick {
namespace {

// One file of definitions, each with the names it calls, and the selection of a
// query over it.
class QueryTest : public ::testing::Test {
 protected:
  void define(const char* name, std::initializer_list<const char*> callees) {
    FuncRecord& record = table_.appendFuncRecord(table_.createFuncRecord(
        name, "a.c", static_cast<int>(table_.records().size()) + 1, nullptr, false));
    for (const char* callee : callees) table_.addCallee(record, callee);
  }

  Selection select(const GraphOptions& options, const NameList* leaves = nullptr) {
    graph_.emplace(table_);
    return Query(options, *graph_, leaves).selection();
  }

  // The edges of a selection as (caller, callee) record pairs.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> edges(const Selection& selection) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> found;
    for (std::uint32_t r = 0; r < graph_->size(); ++r) {
      for (const Call& call : graph_->calls(r)) {
        if (call.count == 1 && selection.edge(r, call.definition)) {
          found.emplace_back(r, call.definition);
        }
      }
    }
    return found;
  }

  FunctionTable table_;
  std::optional<CallGraph> graph_;
};

using Edges = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A call-distance answer: a record met far first and near later is as near as
// its nearest way, and its calls are followed from there.
TEST_F(QueryTest, DepthCountsTheShortestWayFromAnyRoot) {
  define("main", {"a", "c"});  // 0
  define("a", {"b"});          // 1
  define("b", {"c"});          // 2
  define("c", {"d"});          // 3
  define("d", {"e"});          // 4
  define("e", {});             // 5
  GraphOptions options;
  options.roots = {"main"};
  options.depth = 2;
  Selection selection = select(options);
  EXPECT_EQ(selection.callsDistance[3], 1u);
  EXPECT_EQ(selection.shown, (std::vector<bool>{true, true, true, true, true, false}));
  EXPECT_EQ(selection.callsShown, (std::vector<bool>{true, true, false, true, false, false}));
  EXPECT_EQ(edges(selection), (Edges{{0, 1}, {0, 3}, {1, 2}, {3, 4}}));
  // --root and --callers together: the union of both answers.
  options.callers = {"e"};
  options.depth = 1;
  selection = select(options);
  EXPECT_EQ(selection.roots, (std::vector<std::uint32_t>{0, 5}));
  EXPECT_EQ(edges(selection), (Edges{{0, 1}, {0, 3}, {4, 5}}));
}

// Ways to two targets: t1 goes on to t2, but not along a call that only comes
// back to t1; loop leads nowhere; a call to the several definitions of a
// target's name is kept, except from a target of that very name.
TEST_F(QueryTest, WaysEndAtTheTargetUnlessTheyLeadOnToAnother) {
  define("main", {"t1", "loop", "dup"});  // 0
  define("t1", {"t1", "back", "on"});     // 1
  define("back", {"t1"});                 // 2
  define("on", {"t2"});                   // 3
  define("t2", {"end"});                  // 4
  define("loop", {"loop"});               // 5
  define("end", {});                      // 6
  define("dup", {});                      // 7
  define("dup", {"dup"});                 // 8
  GraphOptions options;
  options.targets = {"t1", "t2", "dup"};
  Selection selection = select(options);
  EXPECT_EQ(selection.treeRoots, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(edges(selection), (Edges{{0, 1}, {1, 1}, {1, 3}, {3, 4}}));
  EXPECT_FALSE(selection.shown[2]);  // back leads only to t1 again
  EXPECT_FALSE(selection.shown[6]);  // below t2
  const std::uint32_t dup = table_.findName("dup");
  EXPECT_TRUE(selection.ambiguousEdge(0, dup));
  EXPECT_FALSE(selection.ambiguousEdge(8, dup));
  EXPECT_FALSE(selection.undefinedEdge(0));
}

// A root named in a table with a trailing "/" lists no calls, in every format, as
// the text tree lists none; its callers are still followed.
TEST_F(QueryTest, ALeafOfTheTablesListsNoCalls) {
  define("main", {"x"});  // 0
  define("x", {});        // 1
  define("leaf", {"x"});  // 2
  NameList leaves;
  leaves.appendName("leaf");
  GraphOptions options;
  options.depth = 5;
  Selection selection = select(options, &leaves);
  EXPECT_EQ(selection.treeRoots, (std::vector<std::uint32_t>{0, 2}));
  EXPECT_EQ(edges(selection), (Edges{{0, 1}}));
  options = GraphOptions();
  options.callers = {"x"};
  selection = select(options, &leaves);
  EXPECT_EQ(edges(selection), (Edges{{0, 1}, {2, 1}}));
}

}  // namespace
}  // namespace quenwick
