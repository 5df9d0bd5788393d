#include "tree/call_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quenwick {
namespace {

// Random tables of a few names over two files, so that names are defined once,
// several times, or not at all.
void fill(FunctionTable& table, std::mt19937& random) {
  const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f", "g", "x"};
  for (int r = 0, n = 1 + static_cast<int>(random() % 10); r < n; ++r) {
    FuncRecord& record = table.appendFuncRecord(table.createFuncRecord(
        names[random() % 7], random() % 2 ? "p.c" : "q.c", r + 1, nullptr, true));
    std::set<std::string> added;
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      const std::string& callee = names[random() % names.size()];
      if (added.insert(callee).second) table.addCallee(record, callee);
    }
  }
}

// Every property against the plain definitions: resolution by the table, reachability
// by repeated relaxation, cycles by reachability of a record from its own calls.
TEST(CallGraphTest, AgreesWithThePlainDefinitions) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    FunctionTable table;
    fill(table, random);
    CallGraph graph(table);
    const std::uint32_t n = graph.size();
    // reach[i][j]: a chain of one or more resolved calls leads from i to j.
    std::vector<std::vector<bool>> reach(n, std::vector<bool>(n, false));
    std::vector<std::set<std::uint32_t>> callers(n);
    for (FuncRecord& record : table.records()) {
      auto calls = graph.calls(record.index);
      ASSERT_EQ(calls.size(), table.Sons(record).size());
      for (std::size_t i = 0; i < calls.size(); ++i) {
        FuncRecord* definition = nullptr;
        ASSERT_EQ(calls[i].count, table.resolveCallee(table.Sons(record)[i], record, definition));
        if (calls[i].count == 0) continue;
        ASSERT_EQ(calls[i].definition, definition->index);
        auto named = graph.definitions(calls[i].name);
        ASSERT_GE(named.size(), static_cast<std::size_t>(calls[i].count));
        ASSERT_TRUE(std::find(named.begin(), named.end(), definition->index) != named.end());
        if (calls[i].count == 1) {
          reach[record.index][definition->index] = true;
          callers[definition->index].insert(record.index);
        }
      }
    }
    for (std::uint32_t k = 0; k < n; ++k)
      for (std::uint32_t i = 0; i < n; ++i)
        for (std::uint32_t j = 0; j < n; ++j)
          if (reach[i][k] && reach[k][j]) reach[i][j] = true;

    const std::vector<bool> inCycle = graph.recursive();
    std::vector<bool> targets(n, false);
    targets[0] = true;
    const std::vector<bool> reaching = graph.reaching(targets);
    const std::vector<std::uint32_t> down = graph.distances({0}, false);
    const std::vector<std::uint32_t> up = graph.distances({0}, true);
    for (std::uint32_t r = 0; r < n; ++r) {
      auto listed = graph.callers(r);
      ASSERT_TRUE(std::is_sorted(listed.begin(), listed.end()));
      ASSERT_EQ(std::set<std::uint32_t>(listed.begin(), listed.end()), callers[r]);
      ASSERT_EQ(inCycle[r], reach[r][r]);
      ASSERT_EQ(reaching[r], r == 0 || reach[r][0]);
      ASSERT_EQ(down[r] != UINT32_MAX, r == 0 || reach[0][r]);
      ASSERT_EQ(up[r] != UINT32_MAX, r == 0 || reach[r][0]);
      // A shortest chain: one step from a record one nearer.
      if (down[r] != UINT32_MAX && r != 0) {
        bool step = false;
        for (std::uint32_t c : listed) step = step || down[c] + 1 == down[r];
        ASSERT_TRUE(step);
      }
    }
  }
}

}  // namespace
}  // namespace quenwick
