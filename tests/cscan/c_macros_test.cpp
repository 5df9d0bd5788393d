// The symbol table of a scan: its own states, states it shares with an effect,
// copies, and the places of states while the table grows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cscan/c_macros.h"

namespace quenwick {
namespace {

MacroState defined(std::string_view body) {
  MacroState state;
  state.kind = MacroState::Defined;
  state.body = body;
  return state;
}

// A state that `find` handed out stays where it is, and holds what it held,
// however many symbols come after it.
TEST(MacroTableTest, StatesStayPutWhileTheTableGrows) {
  MacroTable table;
  std::vector<std::string> names;
  for (int i = 0; i < 5000; ++i) names.push_back("NAME" + std::to_string(i));
  table.set(names[0], defined("first"));
  const MacroState& first = table.find(names[0]);
  for (std::size_t i = 1; i < names.size(); ++i) table.set(names[i], defined(names[i]));
  EXPECT_EQ(&first, &table.find(names[0]));
  EXPECT_EQ(first.body, "first");
  for (std::size_t i = 1; i < names.size(); i += 499) EXPECT_EQ(table.find(names[i]).body, names[i]);
  EXPECT_EQ(table.ownSize(), names.size());
  EXPECT_EQ(table.find("OTHER").kind, MacroState::Unknown);
}

// A shared state is read where it is; setting the symbol again gives it a state
// of the table's own, and the shared one is left as it was.
TEST(MacroTableTest, SharedStatesAreReadWhereTheyAreAndNeverWritten) {
  const MacroState effect = defined("from the effect");
  MacroTable base;
  base.set("B", defined("base"));
  MacroTable table(&base);
  table.setShared("A", &effect);
  table.setShared("B", &effect);
  EXPECT_EQ(&table.find("A"), &effect);
  EXPECT_EQ(table.find("B").body, "from the effect");
  table.set("A", defined("own"));
  EXPECT_EQ(table.find("A").body, "own");
  EXPECT_EQ(effect.body, "from the effect");
  table.set("A", defined("own again"));
  EXPECT_EQ(table.find("A").body, "own again");
  EXPECT_EQ(table.ownSize(), 2u);
}

// A copy owns copies of the table's own states (a change of either is not the
// other's) and shares what the table shared; on a table without a base, an
// unknown state takes the symbol back out.
TEST(MacroTableTest, CopiesOwnTheirStatesAndUnknownTakesASymbolOut) {
  const MacroState effect = defined("shared");
  MacroTable base;
  MacroTable table(&base);
  table.set("OWN", defined("one"));
  table.setShared("SHARED", &effect);
  MacroTable copy = table.ownCopy();
  table.set("OWN", defined("two"));
  EXPECT_EQ(copy.find("OWN").body, "one");
  EXPECT_EQ(&copy.find("SHARED"), &effect);
  copy.set("OWN", defined("three"));
  EXPECT_EQ(table.find("OWN").body, "two");
  EXPECT_EQ(copy.base(), &base);

  MacroTable alone;
  alone.setUnlistedUndefined(true);
  alone.set("X", defined("x"));
  alone.set("X", MacroState());
  EXPECT_EQ(alone.ownSize(), 0u);
  EXPECT_EQ(alone.find("X").kind, MacroState::Undefined);
  alone.set("X", defined("back"));
  EXPECT_EQ(alone.find("X").body, "back");
  EXPECT_EQ(alone.ownSize(), 1u);
}

// A chain of tables answers as its tables do whether a name is here, below, in
// none (the filter of names that most lookups miss), or in a table below one with
// no names of its own; and far more names than the filter has bits stay found.
TEST(MacroTableTest, AChainFindsEveryNameItHoldsAndNoOther) {
  std::vector<std::string> names;
  for (int i = 0; i < 50000; ++i) names.push_back("NAME_" + std::to_string(i));
  MacroTable bottom;
  for (int i = 0; i < 20000; ++i) bottom.set(names[i], defined("bottom"));
  const MacroTable empty(&bottom);  // no names: it has no filter
  MacroTable middle(&empty);
  for (int i = 20000; i < 30000; ++i) middle.set(names[i], defined("middle"));
  MacroTable top(&middle);
  top.setUnlistedUndefined(true);
  EXPECT_EQ(top.find(names[5]).body, "bottom");  // before it has names of its own
  for (int i = 30000; i < 40000; ++i) top.set(names[i], defined("top"));
  MacroTable copy = top.ownCopy();
  copy.setUnlistedUndefined(true);
  for (const MacroTable* table : {static_cast<const MacroTable*>(&top), static_cast<const MacroTable*>(&copy)}) {
    for (int i = 0; i < 50000; ++i) {
      const MacroState& state = table->find(names[i]);
      const char* want = i < 20000 ? "bottom" : i < 30000 ? "middle" : i < 40000 ? "top" : "";
      ASSERT_EQ(state.body, want) << names[i];
      ASSERT_EQ(state.kind, i < 40000 ? MacroState::Defined : MacroState::Undefined) << names[i];
    }
  }
}

// A watch notes the names looked up through the table it is set on and through
// the tables made on it or copied from it, not through a shared flattening.
TEST(MacroTableTest, AWatchNotesLookupsThroughTablesMadeOnIt) {
  MacroTable base;
  base.set("BASE", defined("b"));
  SymbolWatch watch{{"BASE", "OWN", "NEVER"}, {0, 0, 0}};
  MacroTable table(&base);
  table.watchLookups(&watch);
  const MacroTable inner(&table);  // a scan of a header as a file, or of an expansion
  inner.find("BASE");
  MacroTable copy = table.ownCopy();
  copy.find("OWN");
  table.flattened(&base).find("NEVER");
  EXPECT_EQ(watch.read, (std::vector<char>{1, 1, 0}));
}

}  // namespace
}  // namespace quenwick
