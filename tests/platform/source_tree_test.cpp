#include "platform/source_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"

namespace quenwick {
namespace {

namespace fs = std::filesystem;

class SourceTreeTest : public ScratchDirTest {};

TEST_F(SourceTreeTest, LinksCyclesHiddenFoldersAndSizes) {
  fs::create_directories(path("ws/sub/deep"));
  fs::create_directories(path("ws/.git"));
  fs::create_directories(path("ws/skip"));
  fs::create_directories(path("outside"));
  writeFile("ws/a.c", "x");
  writeFile("ws/b.h", "x");
  writeFile("ws/c.cc", "x");
  writeFile("ws/sub/deep/d.c", "x");
  writeFile("ws/.git/e.c", "x");
  writeFile("ws/skip/f.c", "x");
  writeFile("ws/big.c", std::string(101, 'x'));
  writeFile("outside/g.c", "x");
  fs::create_directory_symlink(path("ws"), path("ws/sub/loop"));        // a cycle
  fs::create_directory_symlink(path("ws/sub/deep"), path("ws/alias"));  // inside: once
  fs::create_directory_symlink(path("outside"), path("ws/out"));        // outside
  fs::create_symlink(path("outside/g.c"), path("ws/g.c"));
  fs::create_symlink(path("ws/a.c"), path("ws/z.c"));  // the same file again

  const std::string root = canonicalPath(path("ws"));
  SourceTreeRules rules;
  rules.within = {root};
  rules.leftOut = {canonicalPath(path("ws/skip"))};
  rules.maxFileSize = 100;
  SourceTree tree;
  walkSourceTree(path("ws"), rules, tree);
  const std::string ws = path("ws");
  // A folder's files, then its folders; the link reaches deep/ first, so sub/deep is skipped.
  EXPECT_EQ(tree.files, (std::vector<std::string>{ws + "/a.c", ws + "/b.h", ws + "/alias/d.c"}));
  EXPECT_EQ(tree.tooLarge, (std::vector<std::string>{ws + "/big.c"}));
  EXPECT_EQ(tree.outside, (std::vector<std::string>{ws + "/g.c", ws + "/out"}));
}

TEST_F(SourceTreeTest, PathsAndSizes) {
  writeFile("f.c", "abc");
  EXPECT_EQ(regularFileSize(path("f.c")), 3);
  EXPECT_EQ(regularFileSize(path("none.c")), -1);
  EXPECT_EQ(regularFileSize(dir_.string()), -1);
  EXPECT_EQ(canonicalPath(path("none")), "");
  EXPECT_TRUE(isWithinFolder("/a/b/c", "/a/b"));
  EXPECT_TRUE(isWithinFolder("/a/b", "/a/b"));
  EXPECT_FALSE(isWithinFolder("/a/bc", "/a/b"));
  EXPECT_TRUE(isWithinFolder("/x", "/"));
}

}  // namespace
}  // namespace quenwick
