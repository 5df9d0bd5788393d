#include "lsp/symbol_search.h"

#include <gtest/gtest.h>

namespace quenwick {
namespace {

TEST(SymbolSearchTest, RanksFromExactToScattered) {
  EXPECT_EQ(matchRank("kfree", "kfree"), 0u);
  EXPECT_EQ(matchRank("KFree", "kfree"), 1u);
  EXPECT_EQ(matchRank("kfree_skb", "kfree"), 2u);
  EXPECT_EQ(matchRank("KFREE_skb", "kfree"), 3u);
  EXPECT_EQ(matchRank("do_kfree", "kfree"), 4u);
  EXPECT_EQ(matchRank("do_KFREE", "kfree"), 5u);
  EXPECT_EQ(matchRank("kmem_free", "kfree"), 6u + 4u);  // k(mem_)free: four between
  EXPECT_EQ(matchRank("Kmem_Free", "kfr"), 6u + 4u);
  EXPECT_FALSE(matchRank("free", "kfree"));
  EXPECT_FALSE(matchRank("", "a"));
  EXPECT_EQ(matchRank("anything", ""), 0u);
}

}  // namespace
}  // namespace quenwick
