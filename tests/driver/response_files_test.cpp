#include "driver/response_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "scratch_dir.h"

namespace quenwick {
namespace {

class ResponseFilesTest : public ScratchDirTest {
 protected:
  // Opens `path` as the next nested response file; the file stays open.
  bool openNested(const std::string& path) {
    auto file = std::make_unique<TextInput>();
    if (!files.open(path, *file)) return false;
    open.push_back(std::move(file));
    return true;
  }
  void closeInnermost() {
    files.close();
    open.pop_back();
  }

  ResponseFiles files;
  std::vector<std::unique_ptr<TextInput>> open;
};

// A file that names itself nests up to the limit; once the limit was met, it is
// not opened again while it is still open, so a file naming itself twice ends
// after a few hundred opens instead of an exponential number.
TEST_F(ResponseFilesTest, FileNamingItselfStopsAtTheLimitAndStaysStopped) {
  std::string self = writeFile("self", "@self");
  std::string other = writeFile("other", "x.c");
  for (std::size_t i = 0; i < ResponseFiles::kMaxOpen; ++i) ASSERT_TRUE(openNested(self)) << i;
  EXPECT_FALSE(openNested(self));
  EXPECT_FALSE(files.lastUnreadable());  // a stop, not a file that cannot be read
  EXPECT_FALSE(openNested(other));       // the limit holds for every file
  closeInnermost();
  EXPECT_FALSE(openNested(self));  // stopped, and still open further out
  EXPECT_FALSE(files.lastUnreadable());
  EXPECT_TRUE(openNested(other));  // a file that was not open is not stopped
  closeInnermost();
  while (!open.empty()) closeInnermost();
  EXPECT_TRUE(openNested(self));  // no longer open: it may start again
}

TEST_F(ResponseFilesTest, MissingFileAndDirectoryDoNotOpen) {
  EXPECT_FALSE(openNested(path("absent")));
  EXPECT_TRUE(files.lastUnreadable());
  EXPECT_FALSE(openNested(dir_.string()));
  EXPECT_TRUE(files.lastUnreadable());
  EXPECT_TRUE(open.empty());
  EXPECT_TRUE(openNested(writeFile("present", "a.c")));
  EXPECT_FALSE(files.lastUnreadable());
}

}  // namespace
}  // namespace quenwick
