#include "cscan/c_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

using Words = std::vector<std::string>;

Words split(const std::string& command) {
  Words words;
  std::string error;
  EXPECT_TRUE(splitShellWords(command, words, error)) << command << ": " << error;
  return words;
}

TEST(ShellWordsTest, BlanksSeparateAndQuotesJoin) {
  EXPECT_EQ(split("  cc\t-c  a.c\n"), (Words{"cc", "-c", "a.c"}));
  EXPECT_EQ(split("cc '-DNAME=a b' x"), (Words{"cc", "-DNAME=a b", "x"}));
  EXPECT_EQ(split("cc \"-DNAME=a b\""), (Words{"cc", "-DNAME=a b"}));
  EXPECT_EQ(split("cc -DA='x'\"y\"z"), (Words{"cc", "-DA=xyz"}));
  EXPECT_EQ(split("''"), (Words{""}));
  EXPECT_EQ(split(""), Words{});
}

TEST(ShellWordsTest, BackslashesAsTheShellReadsThem) {
  // Outside quotes a backslash keeps the next byte, whatever it is.
  EXPECT_EQ(split(R"(cc -DS=\"x\" a\ b \\)"), (Words{"cc", "-DS=\"x\"", "a b", "\\"}));
  // Inside double quotes only $ ` " \ and a line end are quoted by it.
  EXPECT_EQ(split(R"(cc "-DS=\"x\"" "a\b" "c\\d" "\$HOME")"),
            (Words{"cc", "-DS=\"x\"", "a\\b", "c\\d", "$HOME"}));
  // Inside single quotes nothing is special.
  EXPECT_EQ(split(R"('a\"b' 'c"d')"), (Words{"a\\\"b", "c\"d"}));
  // A backslash before a line end joins the lines.
  EXPECT_EQ(split("cc -DA=1\\\n -c \"x\\\ny\""), (Words{"cc", "-DA=1", "-c", "xy"}));
  // Nothing is expanded.
  EXPECT_EQ(split("cc $CFLAGS `x` *.c ~"), (Words{"cc", "$CFLAGS", "`x`", "*.c", "~"}));
}

TEST(ShellWordsTest, UnclosedQuotesAreErrors) {
  for (const char* command : {"cc 'a", "cc \"a", "cc \"a\\\"", "cc a\\"}) {
    Words words;
    std::string error;
    EXPECT_FALSE(splitShellWords(command, words, error)) << command;
    EXPECT_FALSE(error.empty()) << command;
  }
}

TEST(CompileFlagsTest, SymbolsInOrderJoinedOrApart) {
  const CompileFlags flags = readCompileFlags(
      {"gcc", "-DA", "-D", "B=2", "-DC=x=y", "-UA", "-U", "B", "-DF(x)=x", "-c", "f.c"}, "/w");
  EXPECT_EQ(flags.compiler, "gcc");
  ASSERT_EQ(flags.symbols.size(), 6u);
  EXPECT_EQ(flags.symbols[0].name, "A");
  EXPECT_TRUE(flags.symbols[0].define);
  EXPECT_FALSE(flags.symbols[0].value.has_value());
  EXPECT_EQ(flags.symbols[1].name, "B");
  EXPECT_EQ(flags.symbols[1].value.value_or(""), "2");
  EXPECT_EQ(flags.symbols[2].name, "C");
  EXPECT_EQ(flags.symbols[2].value.value_or(""), "x=y");
  EXPECT_EQ(flags.symbols[3].name, "A");
  EXPECT_FALSE(flags.symbols[3].define);
  EXPECT_EQ(flags.symbols[4].name, "B");
  EXPECT_FALSE(flags.symbols[4].define);
  EXPECT_EQ(flags.symbols[5].name, "F(x)");
  EXPECT_EQ(flags.symbols[5].value.value_or(""), "x");
}

TEST(CompileFlagsTest, FoldersAgainstTheDirectory) {
  const CompileFlags flags = readCompileFlags(
      {"cc", "-Iinc", "-I", "../up", "-I/abs/./x", "-iquote", "q", "-isystem", "sys", "-idirafter",
       "late", "-include", "cfg.h", "-imacros", "/m.h", "-nostdinc", "f.c"},
      "/w/build");
  EXPECT_EQ(flags.includeDirs, (Words{"/w/build/inc", "/w/up", "/abs/x"}));
  EXPECT_EQ(flags.quoteDirs, (Words{"/w/build/q"}));
  EXPECT_EQ(flags.systemDirs, (Words{"/w/build/sys"}));
  EXPECT_EQ(flags.afterDirs, (Words{"/w/build/late"}));
  EXPECT_EQ(flags.forcedIncludes, (Words{"cfg.h", "/m.h"}));
  EXPECT_TRUE(flags.noStandardFolders);
}

TEST(CompileFlagsTest, OnlyTargetFlagsAreKeptForTheCompiler) {
  const CompileFlags flags = readCompileFlags(
      {"clang", "-fplugin=./evil.so", "-specs=x.specs", "-B./bin", "-m32", "-march=native",
       "-std=gnu11", "--std=c99", "--target=aarch64-linux-gnu", "-target", "riscv64", "-O2",
       "-fno-PIE", "-fpic", "-fpicky", "-Wall", "-MD", "-MF", "dep.d", "-o", "-DNOT_A_SYMBOL", "-c", "f.c"},
      "/w");
  EXPECT_EQ(flags.targetFlags, (Words{"-m32", "-march=native", "-std=gnu11", "-std=c99",
                                      "--target=aarch64-linux-gnu", "--target=riscv64"}));
  // -fpic and the like only with a code model, which may need them.
  EXPECT_EQ(readCompileFlags({"gcc", "-fno-PIE", "-mcmodel=kernel", "-fpicky", "-c", "f.c"}, "/w").targetFlags,
            (Words{"-mcmodel=kernel", "-fno-PIE"}));
  // The value of -o is no option.
  EXPECT_TRUE(flags.symbols.empty());
}

TEST(CompileFlagsTest, OldSplitOfTheSearch) {
  const CompileFlags flags = readCompileFlags({"cc", "-Ia", "-I-", "-Ib", "f.c"}, "/w");
  EXPECT_EQ(flags.quoteDirs, (Words{"/w/a"}));
  EXPECT_EQ(flags.includeDirs, (Words{"/w/b"}));
}

}  // namespace
}  // namespace quenwick
