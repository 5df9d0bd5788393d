#include "platform/file_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"

namespace quenwick {
namespace {

TEST(FilePathTest, NormalFormAsText) {
  EXPECT_EQ(normalPath("/a/./b//c/../d/"), "/a/b/d");
  EXPECT_EQ(normalPath("a/../../b"), "../b");
  EXPECT_EQ(normalPath("/.."), "/");
  EXPECT_EQ(normalPath("./"), ".");
  EXPECT_EQ(normalPath("x/.."), ".");
  // Paths normal already, and ones that differ from it only at their end.
  EXPECT_EQ(normalPath("/usr/include/stdio.h"), "/usr/include/stdio.h");
  EXPECT_EQ(normalPath("a"), "a");
  EXPECT_EQ(normalPath("/"), "/");
  EXPECT_EQ(normalPath("/a/"), "/a");
  EXPECT_EQ(normalPath("/a/."), "/a");
  EXPECT_EQ(normalPath(""), ".");
  EXPECT_EQ(absolutePath("../inc/./x.h", "/w/build"), "/w/inc/x.h");
  EXPECT_EQ(absolutePath("/abs/x.h", "/w"), "/abs/x.h");
  EXPECT_EQ(joinPath("/w/", "a.c"), "/w/a.c");
  EXPECT_EQ(folderOf("/w/a.c"), "/w");
  EXPECT_EQ(folderOf("/a.c"), "/");
  EXPECT_EQ(folderOf("a.c"), ".");
}

TEST(FilePathTest, PatternsOfPrograms) {
  struct Case {
    const char* pattern;
    const char* path;
    bool matches;
  };
  const Case cases[] = {
      {"/usr/bin/gcc*", "/usr/bin/gcc", true},
      {"/usr/bin/gcc*", "/usr/bin/gcc-12", true},
      {"/usr/bin/gcc*", "/usr/bin/gcc-12/../../../tmp/cc", false},
      {"/usr/bin/gcc*", "/usr/bin/gccx/sub", false},
      {"/usr/bin/*-gcc*", "/usr/bin/x86_64-linux-gnu-gcc-12", true},
      {"/usr/bin/*-gcc*", "/usr/bin/gcc", false},
      {"/usr/bin/cc", "/usr/bin/cc", true},
      {"/usr/bin/cc", "/usr/bin/cc1", false},
      {"/opt/**/cc", "/opt/a/b/cc", true},
      {"/opt/*/cc", "/opt/a/b/cc", false},
      {"/opt/?/cc", "/opt/a/cc", true},
      {"/opt/?/cc", "/opt//cc", false},
      {"*", "/usr/bin/gcc", false},
      {"**", "/usr/bin/gcc", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchPathPattern(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
  }
}

class ShownPathTest : public ScratchDirTest {};

TEST_F(ShownPathTest, RelativeBelowTheBaseAlsoThroughALink) {
  EXPECT_EQ(shownPath("/w/src/a.c", "/w"), "src/a.c");
  EXPECT_EQ(shownPath("/wx/a.c", "/w"), "/wx/a.c");
  EXPECT_EQ(shownPath("/w", "/w"), "/w");
  const std::string real = resolvedPath(dir_.string());
  std::filesystem::create_directory(dir_ / "tree");
  writeFile("tree/a.c", "");
  std::filesystem::create_directory_symlink(dir_ / "tree", dir_ / "link");
  EXPECT_EQ(shownPath(path("link/a.c"), real + "/tree"), "a.c");
  EXPECT_TRUE(isRegularFile(path("link/a.c")));
  EXPECT_FALSE(isRegularFile(path("link")));
}

TEST_F(ShownPathTest, AResolverAnswersAsTheFileSystemDoes) {
  const std::string real = resolvedPath(dir_.string());
  std::filesystem::create_directories(dir_ / "tree/sub");
  writeFile("tree/a.c", "");
  writeFile("tree/sub/b.h", "");
  std::filesystem::create_directory_symlink(dir_ / "tree", dir_ / "link");
  std::filesystem::create_symlink(dir_ / "tree/a.c", dir_ / "tree/sub/to-a.c");
  PathResolver resolver;
  // Twice each: the second answer comes from what the first remembered.
  for (int round = 0; round < 2; ++round) {
    for (const char* name : {"link/a.c", "link/sub/b.h", "link/sub/to-a.c", "link/sub", "link",
                             "tree/missing.c", "missing/a.c", "link/sub/../a.c"}) {
      EXPECT_EQ(resolver.resolved(path(name)), resolvedPath(path(name))) << name;
    }
  }
  EXPECT_EQ(resolver.resolved(path("link/sub/to-a.c")), real + "/tree/a.c");
  EXPECT_EQ(resolver.shown(path("link/sub/b.h"), real + "/tree"), "sub/b.h");
}

}  // namespace
}  // namespace quenwick
