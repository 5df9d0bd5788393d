#include "shared/name_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace quenwick {
namespace {

std::vector<std::string> contents(const NameList& list) {
  std::vector<std::string> names;
  for (const std::string& name : list) names.push_back(name);
  return names;
}

NameList listOf(const std::vector<std::string>& names) {
  NameList list;
  for (const std::string& name : names) list.appendName(name);
  return list;
}

TEST(NameListTest, KeepsAppendOrderAndDuplicates) {
  NameList list = listOf({"b", "a", "b", "", "c"});
  EXPECT_EQ(contents(list), (std::vector<std::string>{"b", "a", "b", "", "c"}));
  EXPECT_EQ(list.size(), 5u);
  EXPECT_TRUE(list.containsName(""));
  EXPECT_FALSE(list.containsName("B"));  // case matters
  EXPECT_FALSE(list.containsName("a "));
}

TEST(NameListTest, RemoveTakesOnlyTheFirstCopy) {
  NameList list = listOf({"x", "y", "x", "z", "x"});
  EXPECT_TRUE(list.removeName("x"));
  EXPECT_EQ(contents(list), (std::vector<std::string>{"y", "x", "z", "x"}));
  EXPECT_TRUE(list.containsName("x"));
  EXPECT_TRUE(list.removeName("x"));
  EXPECT_TRUE(list.removeName("x"));
  EXPECT_FALSE(list.containsName("x"));
  EXPECT_FALSE(list.removeName("x"));
  EXPECT_EQ(contents(list), (std::vector<std::string>{"y", "z"}));
}

TEST(NameListTest, NamesAreBytes) {
  // Shift_JIS text, a backslash trail byte and an embedded NUL are all plain bytes.
  std::string sjis = "\x8b@\x94\\";
  std::string withNul("a\0b", 3);
  NameList list = listOf({sjis, withNul});
  EXPECT_TRUE(list.containsName(sjis));
  EXPECT_TRUE(list.containsName(withNul));
  EXPECT_FALSE(list.containsName("a"));
}

TEST(NameListTest, FreeNamesEmptiesAndTheListIsUsableAgain) {
  NameList list;
  for (int i = 0; i < 40; ++i) list.appendName("n" + std::to_string(i));
  list.freeNames();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.containsName("n3"));
  EXPECT_EQ(list.begin(), list.end());
  list.appendName("n3");
  EXPECT_EQ(contents(list), (std::vector<std::string>{"n3"}));
}

TEST(NameListTest, MovedFromListIsEmpty) {
  NameList list = listOf({"a", "b"});
  NameList other(std::move(list));
  EXPECT_EQ(contents(other), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(list.empty());  // NOLINT(bugprone-use-after-move): checked on purpose
  EXPECT_EQ(list.size(), 0u);
  NameList third;
  third = std::move(other);
  EXPECT_TRUE(other.empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(third.size(), 2u);
}

// Long lists are indexed internally; every operation must still give exactly what a
// plain vector gives, through growth past the index threshold, removals that empty
// and refill it, and repeated names.
TEST(NameListTest, BehavesLikeAVectorOverRandomOperations) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    NameList list;
    std::vector<std::string> reference;
    // Few distinct names, so duplicates are common.
    int distinct = 3 + static_cast<int>(seed % 5) * 8;
    auto randomName = [&] { return "n" + std::to_string(random() % distinct); };
    for (int step = 0; step < 3000; ++step) {
      unsigned op = random() % 100;
      // Grow and shrink in phases so the list crosses the threshold both ways.
      bool growing = (step / 300) % 2 == 0;
      if (op < (growing ? 55u : 25u)) {
        std::string name = randomName();
        list.appendName(name);
        reference.push_back(name);
      } else if (op < 85) {
        std::string name = randomName();
        auto found = std::find(reference.begin(), reference.end(), name);
        bool had = found != reference.end();
        if (had) reference.erase(found);
        ASSERT_EQ(list.removeName(name), had) << "seed " << seed << " step " << step;
      } else if (op < 99) {
        std::string name = randomName();
        bool had = std::find(reference.begin(), reference.end(), name) != reference.end();
        ASSERT_EQ(list.containsName(name), had) << "seed " << seed << " step " << step;
      } else {
        list.freeNames();
        reference.clear();
      }
      ASSERT_EQ(list.size(), reference.size());
      if (step % 50 == 0) {
        ASSERT_EQ(contents(list), reference) << "seed " << seed;
      }
    }
    ASSERT_EQ(contents(list), reference) << "seed " << seed;
  }
}

}  // namespace
}  // namespace quenwick
