#include "tree/symbol_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

using namespace std::string_literals;

// Keys count up in first-met order and stay the same, and a text once handed out
// stays where it is, while the table grows far beyond its first size and its
// storage blocks.
TEST(SymbolTableTest, KeysAndTextsStayPutWhileTheTableGrows) {
  SymbolTable table;
  std::vector<std::string> names = {"", "a", "a\0b"s, std::string(70000, 'x'), "\x94\x5c"};
  for (int i = 0; i < 50000; ++i) names.push_back("name_" + std::to_string(i));
  std::vector<std::string_view> texts;
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(table.intern(names[i]), i);
    texts.push_back(table.name(static_cast<std::uint32_t>(i)));
  }
  EXPECT_EQ(table.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(table.intern(names[i]), i);  // a second intern finds the same key
    ASSERT_EQ(table.find(names[i]), i);
    ASSERT_EQ(texts[i], names[i]);
    ASSERT_EQ(texts[i].data(), table.name(static_cast<std::uint32_t>(i)).data());
  }
  EXPECT_EQ(table.find("a\0"s), SymbolTable::kNone);  // bytes, not C texts
  EXPECT_EQ(table.find("A"), SymbolTable::kNone);
}

TEST(SymbolTableTest, ClearForgetsEveryNameAndStartsTheKeysAgain) {
  SymbolTable table;
  table.intern("f");
  table.intern("g");
  table.clear();
  EXPECT_EQ(table.size(), 0u);
  EXPECT_EQ(table.find("f"), SymbolTable::kNone);
  EXPECT_EQ(table.intern("g"), 0u);
}

}  // namespace
}  // namespace quenwick
