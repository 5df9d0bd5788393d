#include "lsp/workspace.h"

#include <gtest/gtest.h>

namespace quenwick {
namespace {

TEST(WorkspaceOptionsTest, FlagsFoldersTablesAndWhatIsIgnored) {
  std::vector<std::string> problems;
  const Json options = Json::parse(R"({
    "flags": ["-DA", "-DB=2", "-UC", "-I.", "-D", "-U=1"],
    "exclude": ["build"], "systemFunctionTables": ["libc.tbl"],
    "compileCommands": 3, "colour": true})");
  WorkspaceOptions read = readWorkspaceOptions(options, problems);
  ASSERT_EQ(read.symbols.size(), 3u);
  EXPECT_EQ(read.symbols[0].name, "A");
  EXPECT_FALSE(read.symbols[0].value);
  EXPECT_EQ(read.symbols[1].value, "2");
  EXPECT_FALSE(read.symbols[2].define);
  EXPECT_EQ(read.leftOut, std::vector<std::string>{"build"});
  EXPECT_EQ(read.systemTables, std::vector<std::string>{"libc.tbl"});
  EXPECT_FALSE(read.compileCommands);
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "initialization option 'colour' is ignored: no such option",
                          "initialization option 'compileCommands' is ignored: it must be a string",
                          "initialization option 'flags' is ignored: '-I.' is no -D or -U flag",
                          "initialization option 'flags' is ignored: '-D' is no -D or -U flag",
                          "initialization option 'flags' is ignored: '-U=1' is no -D or -U flag"}));
  problems.clear();
  readWorkspaceOptions(Json::parse(R"({"exclude": "build", "queryDriver": 1})"), problems);
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "initialization option 'exclude' is ignored: it must be a list of strings",
                          "initialization option 'queryDriver' is ignored: it must be a list of strings"}));
  // The compilers that may run: a list, or one string split at its commas.
  problems.clear();
  read = readWorkspaceOptions(Json::parse(R"({"queryDriver": "/opt/*/gcc,/usr/bin/cc"})"), problems);
  EXPECT_EQ(read.queryDrivers, (std::vector<std::string>{"/opt/*/gcc", "/usr/bin/cc"}));
  read = readWorkspaceOptions(Json::parse(R"({"queryDriver": ["/opt/**"]})"), problems);
  EXPECT_EQ(read.queryDrivers, std::vector<std::string>{"/opt/**"});
  EXPECT_TRUE(problems.empty());
}

TEST(WideLinesTest, KeepsOnlyLinesBeyondAscii) {
  WideLines wide;
  wide.fill("plain\n/* \xE8\xA1\xA8 */ f();\n\x95\x5C" "abc\nend");
  EXPECT_EQ(wide.find(1), nullptr);
  ASSERT_NE(wide.find(2), nullptr);
  EXPECT_EQ(*wide.find(2), "/* \xE8\xA1\xA8 ");  // up to one byte past the last wide byte
  ASSERT_NE(wide.find(3), nullptr);
  EXPECT_EQ(*wide.find(3), "\x95\x5C");  // a trail byte that is ASCII stays
  EXPECT_EQ(wide.find(4), nullptr);
}

}  // namespace
}  // namespace quenwick
