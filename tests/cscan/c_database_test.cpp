#include "cscan/c_database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cscan/c_build.h"
#include "scratch_dir.h"

namespace quenwick {
namespace {

// Compilers that no test machine has: the built-in set stands in, and nothing runs.
DatabaseOptions noCompilers() {
  DatabaseOptions options;
  options.queryDrivers = {"/nowhere/*"};
  return options;
}

DatabaseError readError(const std::string& text) {
  CompilationDatabase database;
  DatabaseError error;
  EXPECT_FALSE(database.read(text, "/w/compile_commands.json", noCompilers(), error)) << text;
  return error;
}

TEST(CompilationDatabaseTest, ErrorsNameTheirPlace) {
  DatabaseError error = readError("[\n {\"file\": \"a.c\",\n  \"command\": \"cc\" x}\n]");
  EXPECT_EQ(error.kind, DatabaseError::NotJson);
  EXPECT_EQ(error.line, 3u);
  EXPECT_EQ(error.column, 19u);
  EXPECT_FALSE(error.detail.empty());

  error = readError("  {\"file\": \"a.c\"}");
  EXPECT_EQ(error.kind, DatabaseError::NotList);
  EXPECT_EQ(error.line, 1u);
  EXPECT_EQ(error.column, 3u);

  error = readError("[{\"file\": \"a.c\", \"command\": \"cc a.c\"},\n  \"a.c\"]");
  EXPECT_EQ(error.kind, DatabaseError::NotObject);
  EXPECT_EQ(error.entry, 2u);
  EXPECT_EQ(error.line, 2u);
  EXPECT_EQ(error.column, 3u);

  error = readError("[{\"file\": \"a.c\", \"command\": \"cc a.c\"},\n {\"command\": \"cc b.c\",\n  \"x\": [\"{\"]},\n {\"file\": 1}]");
  EXPECT_EQ(error.kind, DatabaseError::NoFile);
  EXPECT_EQ(error.entry, 2u);
  EXPECT_EQ(error.line, 2u);
  EXPECT_EQ(error.column, 2u);

  error = readError("[{\"file\": 7, \"command\": \"cc\"}]");
  EXPECT_EQ(error.kind, DatabaseError::BadField);
  EXPECT_EQ(error.detail, "file");

  error = readError("[{\"file\": \"a.c\", \"arguments\": [\"cc\", 1]}]");
  EXPECT_EQ(error.kind, DatabaseError::BadField);
  EXPECT_EQ(error.detail, "arguments");

  error = readError("[{\"file\": \"a.c\", \"directory\": \"/w\"}]");
  EXPECT_EQ(error.kind, DatabaseError::NoCommand);

  error = readError("[{\"file\": \"a.c\", \"command\": \"cc '-DX\"}]");
  EXPECT_EQ(error.kind, DatabaseError::BadCommand);
  EXPECT_EQ(error.entry, 1u);

  error = readError("[{\"file\": \"a.c\", \"arguments\": []}]");
  EXPECT_EQ(error.kind, DatabaseError::BadCommand);
}

TEST(CompilationDatabaseTest, EntriesWithTheirConfigurations) {
  CompilationDatabase database;
  DatabaseError error;
  const std::string text = R"([
    {"directory": "/w/build", "arguments": ["/usr/bin/ccache", "qw-no-cc", "-I../inc", "-DA=1", "-c",
     "../src/a.c"], "file": "../src/a.c"},
    {"directory": "sub", "command": "qw-no-cc -DB -isystem /sys -c b.c", "file": "b.c"},
    {"directory": "/w", "command": "qw-no-cc -DAGAIN -c src/a.c", "file": "src/a.c"},
    {"directory": "/w/build", "command": "qw-no-cc -I../inc -DC -c ../src/c.c", "file": "/w/src/c.c"},
    {"directory": "/w/build", "command": "qw-no-cc -I../inc -DA=1 -fPIC -c ../src/a.c", "file": "../src/a.c"}
  ])";
  ASSERT_TRUE(database.read(text, "/w/compile_commands.json", noCompilers(), error));
  // A file listed twice is one entry, named by its first; another configuration
  // of it is a variant, the same one again is not.
  ASSERT_EQ(database.entries().size(), 3u);
  const DatabaseEntry& a = database.entries()[0];
  ASSERT_EQ(a.variants.size(), 1u);
  ASSERT_EQ(a.variants[0]->symbols.size(), 1u);
  EXPECT_EQ(a.variants[0]->symbols[0].name, "AGAIN");
  EXPECT_TRUE(database.entries()[2].variants.empty());
  EXPECT_EQ(a.path, "/w/src/a.c");
  ASSERT_EQ(a.config->symbols.size(), 1u);
  EXPECT_EQ(a.config->symbols[0].name, "A");
  ASSERT_TRUE(a.config->build);
  EXPECT_EQ(a.config->build->compiler, "qw-no-cc");  // the launcher is not the compiler
  ASSERT_FALSE(a.config->build->folders.empty());
  EXPECT_EQ(a.config->build->folders[0].path, "/w/inc");
  EXPECT_FALSE(a.config->build->folders[0].system);
  // A relative directory counts from the database's folder.
  const DatabaseEntry& b = database.entries()[1];
  EXPECT_EQ(b.path, "/w/sub/b.c");
  ASSERT_FALSE(b.config->build->folders.empty());
  EXPECT_EQ(b.config->build->folders[0].path, "/sys");
  EXPECT_TRUE(b.config->build->folders[0].system);
  EXPECT_EQ(database.find("/w/src/c.c"), &database.entries()[2]);
  EXPECT_EQ(database.find("/w/src/d.c"), nullptr);
  // Files with the same folders and compiler share one build; every build shares the headers.
  EXPECT_EQ(database.entries()[2].config->build, a.config->build);
  EXPECT_NE(b.config->build, a.config->build);
  EXPECT_EQ(b.config->build->headers, database.headers());
  // The compiler was named once, as not found.
  ASSERT_EQ(database.notices().size(), 1u);
  EXPECT_EQ(database.notices()[0].kind, CompilerSetup::NotFound);
  EXPECT_EQ(database.notices()[0].compiler, "qw-no-cc");
}

TEST(CompilationDatabaseTest, NotAllowedCompilersAreNamedOnce) {
  CompilationDatabase database;
  DatabaseError error;
  const std::string text = R"([
    {"directory": "/", "arguments": ["/bin/sh", "-c", "a.c"], "file": "a.c"},
    {"directory": "/", "arguments": ["/bin/sh", "-m32", "-c", "b.c"], "file": "b.c"}
  ])";
  ASSERT_TRUE(database.read(text, "/compile_commands.json", noCompilers(), error));
  ASSERT_EQ(database.notices().size(), 1u);
  EXPECT_EQ(database.notices()[0].kind, CompilerSetup::NotAllowed);
  EXPECT_EQ(database.notices()[0].compiler, "/bin/sh");
  // The built-in set stands in, -std= applied to it.
  const MacroTable& macros = *database.entries()[0].config->build->predefined;
  EXPECT_EQ(macros.find("__GNUC__").kind, MacroState::Defined);
  EXPECT_EQ(macros.find("__has_include").kind, MacroState::Defined);
  EXPECT_FALSE(macros.find("__has_include").valueKnown);
}

// The compilers of a database are asked at once: each compiler with each set of
// target flags once, and every entry gets the answer of its own.
class DatabaseCompilersTest : public ScratchDirTest {};

TEST_F(DatabaseCompilersTest, EachIsAskedOnceAndAnswersItsOwnEntries) {
  const std::string log = path("asked");
  for (const std::string name : {"cc1", "cc2", "cc3"}) {
    const std::string script = writeFile(
        name, "#!/bin/sh\necho \"$0 $*\" >> '" + log + "'\nsleep 0.05\n"
              "echo '#define __STDC__ 1'\necho '#define BY_" + name + " 1'\n"
              "case \" $* \" in *\" -m32 \"*) echo '#define WITH_M32 1';; esac\n");
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
  }
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"cc1", ""}, {"cc2", ""}, {"cc1", "-m32"}, {"cc3", ""}, {"cc2", ""}, {"cc1", "-m32"}};
  std::string text = "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [compiler, flag] = entries[i];
    text += std::string(i > 0 ? "," : "") + "{\"directory\": \"" + dir_.string() + "\", \"arguments\": [\"" +
            path(compiler) + "\"" + (flag.empty() ? "" : ", \"" + flag + "\"") + ", \"-c\", \"f" +
            std::to_string(i) + ".c\"], \"file\": \"f" + std::to_string(i) + ".c\"}";
  }
  text += "]";
  DatabaseOptions options;
  options.queryDrivers = {dir_.string() + "/*"};
  CompilationDatabase database;
  DatabaseError error;
  ASSERT_TRUE(database.read(text, path("compile_commands.json"), options, error));
  ASSERT_EQ(database.entries().size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MacroTable& macros = *database.entries()[i].config->build->predefined;
    for (const std::string name : {"cc1", "cc2", "cc3"}) {
      EXPECT_EQ(macros.find("BY_" + name).kind == MacroState::Defined, name == entries[i].first) << i;
    }
    EXPECT_EQ(macros.find("WITH_M32").kind == MacroState::Defined, !entries[i].second.empty()) << i;
  }
  EXPECT_TRUE(database.notices().empty());
  // Four distinct compilers and flags, each asked once.
  const std::string asked = contents(log);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), '\n'), 4) << asked;
}

TEST_F(DatabaseCompilersTest, TheSystemCompilerAnswersForLinuxsCodeModel) {
  // -mcmodel=kernel alone is refused where GCC makes position-independent code by
  // default; with the command's -fno-PIE it answers.
  if (::access("/usr/bin/gcc", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/gcc";
  const std::string text = "[{\"directory\": \"" + dir_.string() +
                           "\", \"arguments\": [\"/usr/bin/gcc\", \"-mcmodel=kernel\", \"-mno-sse\", "
                           "\"-fno-PIE\", \"-c\", \"f.c\"], \"file\": \"f.c\"}]";
  DatabaseOptions options;
  CompilationDatabase database;
  DatabaseError error;
  ASSERT_TRUE(database.read(text, path("compile_commands.json"), options, error));
  EXPECT_TRUE(database.notices().empty());
  const MacroTable& macros = *database.entries()[0].config->build->predefined;
  EXPECT_EQ(macros.find("__code_model_kernel__").kind, MacroState::Defined);
  EXPECT_NE(macros.find("__SSE__").kind, MacroState::Defined);
  EXPECT_NE(macros.find("__PIE__").kind, MacroState::Defined);
}

TEST(QueryDriversTest, CommasSeparatePatterns) {
  EXPECT_EQ(splitQueryDrivers("/usr/bin/gcc*,,/opt/**/cc,"),
            (std::vector<std::string>{"/usr/bin/gcc*", "/opt/**/cc"}));
  EXPECT_EQ(defaultQueryDrivers(), (std::vector<std::string>{"/usr/bin/gcc*", "/usr/bin/cc",
                                                             "/usr/bin/clang*", "/usr/bin/*-gcc*"}));
}

TEST(PredefinedTextTest, ObjectAndFunctionLikeLines) {
  MacroTable macros;
  readPredefinedText("#define __GNUC__ 12\r\n#define EMPTY\n#define F(a, ...) a __VA_ARGS__\nnoise\n",
                     macros);
  EXPECT_EQ(macros.find("__GNUC__").body, "12");
  EXPECT_EQ(macros.find("EMPTY").kind, MacroState::Defined);
  EXPECT_EQ(macros.find("EMPTY").body, "");
  const MacroState& f = macros.find("F");
  EXPECT_TRUE(f.functionLike);
  EXPECT_TRUE(f.variadic);
  EXPECT_EQ(f.params, (std::vector<std::string_view>{"a", "__VA_ARGS__"}));
  EXPECT_EQ(f.body, "a __VA_ARGS__");
  EXPECT_EQ(macros.find("noise").kind, MacroState::Unknown);
}

}  // namespace
}  // namespace quenwick
