#include "platform/pending_file.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"

namespace quenwick {
namespace {

class PendingFileTest : public ScratchDirTest {
 protected:
  // The names in the scratch folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      found.push_back(entry.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }
};

TEST_F(PendingFileTest, FileTakesItsPlaceOnlyWhenCommitted) {
  std::string target = writeFile("out.txt", "before");
  {
    PendingFile file;
    OutStream out;
    ASSERT_TRUE(file.open(target, out));
    out.write("half");
    out.close();
    EXPECT_EQ(contents(target), "before");
  }  // never committed: the temporary file goes, the old one stays
  EXPECT_EQ(names(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(contents(target), "before");

  PendingFile file;
  OutStream out;
  ASSERT_TRUE(file.open(target, out));
  out.write("after");
  EXPECT_TRUE(file.commit(out));
  EXPECT_EQ(contents(target), "after");
  EXPECT_EQ(names(), std::vector<std::string>{"out.txt"});
}

TEST_F(PendingFileTest, DeviceIsWrittenDirectlyAndAMissingFolderFails) {
  PendingFile file;
  OutStream out;
  ASSERT_TRUE(file.open("/dev/null", out));
  out.write("gone");
  EXPECT_TRUE(file.commit(out));
  EXPECT_FALSE(file.open(path("no/such/folder/out.txt"), out));
}

}  // namespace
}  // namespace quenwick
