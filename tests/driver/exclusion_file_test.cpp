#include "driver/exclusion_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace quenwick {
namespace {

using namespace std::string_literals;

std::vector<std::string> namesOf(const NameList& list) {
  std::vector<std::string> names;
  for (const std::string& name : list) names.push_back(name);
  return names;
}

class ExclusionFileTest : public ScratchDirTest {
 protected:
  NameLists lists;
};

TEST_F(ExclusionFileTest, SplitsTokensIntoExcludedAndLeafNames) {
  std::string path = writeFile("x.tbl", "  printf\tinit/ \v\f exit\n\n  main/// / \x8b@\x94\\");
  ASSERT_TRUE(readExclusionFile(path, lists));
  EXPECT_EQ(namesOf(lists.excludeList),
            (std::vector<std::string>{"printf", "exit", "\x8b@\x94\\"}));
  // Only the last "/" is removed; "/" alone gives an empty leaf name.
  EXPECT_EQ(namesOf(lists.leafList), (std::vector<std::string>{"init", "main//", ""}));
  EXPECT_TRUE(lists.defineList.empty());
}

TEST_F(ExclusionFileTest, CrLfEndsTokensLikeLf) {
  std::string path = writeFile("crlf.tbl", "alpha\r\nbeta/\r\ngamma\r\n");
  ASSERT_TRUE(readExclusionFile(path, lists));
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{"alpha", "gamma"}));
  EXPECT_EQ(namesOf(lists.leafList), (std::vector<std::string>{"beta"}));
}

TEST_F(ExclusionFileTest, LoneCrIsPartOfAToken) {
  std::string path = writeFile("cr.tbl", "a\rb c/\r\n");
  ASSERT_TRUE(readExclusionFile(path, lists));
  // A CR not followed by LF is byte 13, a blank for token reading.
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(namesOf(lists.leafList), (std::vector<std::string>{"c"}));
}

TEST_F(ExclusionFileTest, ReadingTwiceStoresEveryNameTwice) {
  std::string path = writeFile("twice.tbl", "f g/\n");
  ASSERT_TRUE(readExclusionFile(path, lists));
  ASSERT_TRUE(readExclusionFile(path, lists));
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{"f", "f"}));
  EXPECT_EQ(namesOf(lists.leafList), (std::vector<std::string>{"g", "g"}));
  EXPECT_TRUE(lists.excludeList.removeName("f"));
  EXPECT_TRUE(lists.excludeList.containsName("f"));
}

TEST_F(ExclusionFileTest, MissingFileOrDirectoryAddsNothing) {
  lists.excludeList.appendName("kept");
  EXPECT_FALSE(readExclusionFile((dir_ / "absent.tbl").string(), lists));
  EXPECT_FALSE(readExclusionFile(dir_.string(), lists));
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{"kept"}));
  EXPECT_TRUE(lists.leafList.empty());
}

TEST_F(ExclusionFileTest, EmptyFileIsReadAndAddsNothing) {
  EXPECT_TRUE(readExclusionFile(writeFile("empty.tbl", ""), lists));
  EXPECT_TRUE(readExclusionFile(writeFile("blank.tbl", " \n\r\n\t"), lists));
  EXPECT_TRUE(lists.excludeList.empty());
  EXPECT_TRUE(lists.leafList.empty());
}

TEST_F(ExclusionFileTest, NulByteEndsTheToken) {
  std::string path = writeFile("nul.tbl", "ab\0cd/ ef\0/\n"s);
  ASSERT_TRUE(readExclusionFile(path, lists));
  // The text of a token ends at the NUL; the rest of the word is passed over.
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{"ab", "ef"}));
  EXPECT_TRUE(lists.leafList.empty());
}

TEST_F(ExclusionFileTest, LongTokensAreKeptWhole) {
  std::string longName(5000, 'q');
  std::string path = writeFile("long.tbl", longName + " " + longName + "/\n");
  ASSERT_TRUE(readExclusionFile(path, lists));
  EXPECT_EQ(namesOf(lists.excludeList), (std::vector<std::string>{longName}));
  EXPECT_EQ(namesOf(lists.leafList), (std::vector<std::string>{longName}));
}

}  // namespace
}  // namespace quenwick
