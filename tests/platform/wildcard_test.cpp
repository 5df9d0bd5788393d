#include "platform/wildcard.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace quenwick {
namespace {

using Strings = std::vector<std::string>;

TEST(WildcardMatchTest, StarAndQuestionMark) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*", "", true},
      {"*", ".hidden", true},
      {"?", "", false},
      {"?", "ab", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*.c", "x.c", true},
      {"*.c", "x.c.h", false},
      {"*.c", ".c", true},
      {"*ab", "aab", true},
      {"*ab", "abab", true},
      {"*ab", "aba", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYcZ", false},
      {"**x**", "x", true},
      {"ab*", "ab", true},
      {"*?", "", false},
      {"?*?", "ab", true},
      {"A.c", "a.c", false},
      {"a.C", "a.c", false},
      {"", "", true},
      {"", "a", false},
      {"a", "", false},
      {"x*", "yx", false},
      // Bytes, not characters: one two-byte code page 932 character takes "??".
      {"?", "\x82\xa0", false},
      {"??", "\x82\xa0", true},
      {"\x82*", "\x82\xa0.c", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchWildcard(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

TEST(WildcardMatchTest, NameOrderFoldsLettersOnly) {
  Strings names = {"b.c", "Z.c", "a.c", "A.c", "_x.c", "ab.c", ".h", "a", "AB", "ab", "[", "~"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return wildcardNameLess(a, b); });
  // "_", "[" (after "Z" in byte order) come before letters once A-Z is folded to a-z;
  // names equal apart from case fall back to byte order; a prefix comes first.
  EXPECT_EQ(names,
            (Strings{".h", "[", "_x.c", "a", "A.c", "a.c", "AB", "ab", "ab.c", "b.c", "Z.c", "~"}));
  EXPECT_FALSE(wildcardNameLess("a", "a"));
  EXPECT_FALSE(wildcardNameLess("ab", "AB"));
  EXPECT_TRUE(wildcardNameLess("AB", "ab"));
  EXPECT_TRUE(wildcardNameLess("a\x7f", "a\x80"));  // high bytes sort above ASCII
}

class WildcardExpandTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    for (const char* name : {"b.c", "A.c", "_x.c", "a.c", ".hidden.c", "Z.c", "note.txt", "c"}) {
      std::ofstream(dir_ / name) << "x";
    }
    std::filesystem::create_directory(dir_ / "sub.c");
  }

  std::string base() const { return dir_.string() + "/"; }
};

TEST_F(WildcardExpandTest, ExpandsInPlaceSortedWithDirectoryPartKept) {
  const std::string d = base();
  Strings got = expandWildcards({"-n", d + "*.c", "@list", d + "?", d + "*.h", "plain.c"});
  EXPECT_EQ(got, (Strings{"-n", d + ".hidden.c", d + "_x.c", d + "A.c", d + "a.c", d + "b.c",
                          d + "sub.c", d + "Z.c", "@list", d + "c", d + "*.h", "plain.c"}));
  // The directory part is written back exactly as it was given.
  EXPECT_EQ(expandWildcards({dir_.string() + "//./n*"}), Strings{dir_.string() + "//./note.txt"});
  // "." and ".." are never produced, even by a pattern that fits them.
  EXPECT_EQ(expandWildcards({d + ".*"}), Strings{d + ".hidden.c"});
  EXPECT_EQ(expandWildcards({d + "?"}), Strings{d + "c"});
  EXPECT_EQ(expandWildcards({d + "no-such/*.c"}), Strings{d + "no-such/*.c"});
  EXPECT_EQ(expandWildcards({}), Strings{});
}

TEST_F(WildcardExpandTest, DirectoryPartEndsAtLastSlashBackslashOrColon) {
  std::filesystem::create_directory(dir_ / "drv:");
  std::filesystem::create_directory(dir_ / "w\\");
  std::ofstream(dir_ / "drv:" / "in.c") << "x";
  std::ofstream(dir_ / "w\\" / "in.c") << "x";
  const std::string d = base();
  EXPECT_EQ(expandWildcards({d + "drv:*.c"}), Strings{d + "drv:in.c"});
  EXPECT_EQ(expandWildcards({d + "w\\*.c"}), Strings{d + "w\\in.c"});

  // Without a directory part the current directory is searched and names stay bare.
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  Strings got = expandWildcards({"?.c", "w\\i?.c"});
  std::filesystem::current_path(previous);
  EXPECT_EQ(got, (Strings{"A.c", "a.c", "b.c", "Z.c", "w\\in.c"}));
}

}  // namespace
}  // namespace quenwick
