// Headers read ahead for the files of a build.
#include "cscan/c_prefetch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"

namespace quenwick {
namespace {

class PrefetchTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    std::filesystem::create_directories(dir_ / "inc");
    std::filesystem::create_directories(dir_ / "sys");
    writeFile("main.c", "#include \"local.h\"\n#include <api.h>\n#include SOME_MACRO\n");
    writeFile("local.h", "#if 0\n#include \"off.h\"\n#endif\n");
    writeFile("off.h", "#define OFF 1\n");
    writeFile("inc/api.h", "#include_next <api.h>\n");
    writeFile("sys/api.h", "#define API 1\n");
    source_.path = path("main.c");
    source_.folders = {path("inc"), path("sys")};
  }
  // True when the cache holds `name` although it is gone from the disk: read ahead.
  bool readAhead(const std::string& name) {
    std::filesystem::remove(path(name));
    return cache_.get(path(name)) != nullptr;
  }

  HeaderCache cache_;
  PrefetchSource source_;
};

TEST_F(PrefetchTest, EveryIncludeWrittenIsFollowedAsTheBuildSearches) {
  const std::atomic<bool> enough{false};
  prefetchHeaders(cache_, {source_}, enough, 100);
  // Behind "#if 0" too, and #include_next to the folder after the includer's.
  for (const char* name : {"local.h", "off.h", "inc/api.h", "sys/api.h"}) EXPECT_TRUE(readAhead(name)) << name;
}

TEST_F(PrefetchTest, StopsWhenToldOrAtItsMost) {
  const std::atomic<bool> enough{true};
  prefetchHeaders(cache_, {source_}, enough, 100);
  EXPECT_FALSE(readAhead("local.h"));
  const std::atomic<bool> goOn{false};
  HeaderCache other;
  prefetchHeaders(other, {source_}, goOn, 1);
  int read = 0;
  for (const char* name : {"off.h", "inc/api.h", "sys/api.h"}) {
    std::filesystem::remove(path(name));
    read += other.get(path(name)) != nullptr;
  }
  EXPECT_EQ(read, 1);
}

TEST_F(PrefetchTest, AFileOverAMebibyteIsLeftToItsScan) {
  writeFile("main.c", "#include \"local.h\"\n" + std::string(std::size_t{1} << 20, ' '));
  const std::atomic<bool> enough{false};
  prefetchHeaders(cache_, {source_}, enough, 100);
  EXPECT_FALSE(readAhead("local.h"));
}

}  // namespace
}  // namespace quenwick
