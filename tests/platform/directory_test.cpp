#include "platform/directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace quenwick {
namespace {

TEST(AbsolutePathTest, PartsAreResolvedByName) {
  EXPECT_EQ(absolutePath("/usr/src/linux/kernel/exit.c"), "/usr/src/linux/kernel/exit.c");
  EXPECT_EQ(absolutePath("/usr/./src//linux/../linux-6.1/kernel/"), "/usr/src/linux-6.1/kernel/");
  EXPECT_EQ(absolutePath("/../a/b/.."), "/a");
  EXPECT_EQ(absolutePath("/"), "/");
}

TEST(AbsolutePathTest, RelativePathsStartAtTheCurrentDirectory) {
  char saved[4096];
  ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(::chdir("/usr/share"), 0);
  const std::string plain = absolutePath("doc/x.c");
  const std::string up = absolutePath("../src/./a b/");
  const std::string here = absolutePath("");
  ASSERT_EQ(::chdir(saved), 0);
  EXPECT_EQ(plain, "/usr/share/doc/x.c");
  EXPECT_EQ(up, "/usr/src/a b/");
  EXPECT_EQ(here, "/usr/share/");
}

}  // namespace
}  // namespace quenwick
