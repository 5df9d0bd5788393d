// The C scan of files of a build: #include followed for the headers' directives,
// and the work of headers shared by the files of a build.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cscan/c_build.h"
#include "cscan/c_database.h"
#include "cscan/c_scan.h"
#include "scratch_dir.h"

namespace quenwick {
namespace {

// What a scan found, as one text to compare.
std::string summary(const FileFacts& facts) {
  std::ostringstream out;
  for (const FileDefinition& d : facts.definitions) {
    out << d.name << "@" << d.place.line;
    for (const SourcePlace& more : d.morePlaces) out << "," << more.line;
    out << "\n";
  }
  for (const ScanProblem& p : facts.problems) {
    if (p.kind != ScanProblem::Skipped) out << "problem " << p.kind << " " << p.place.line << " " << p.detail << "\n";
  }
  for (const std::string& h : facts.headers) out << "header " << h << "\n";
  for (const std::string& h : facts.missingHeaders) out << "missing " << h << "\n";
  return out.str();
}

// The names a scan defined, in order.
// The callees of the definition `name`, in order, each with "@COLUMN" when asked.
std::vector<std::string> callsOf(const FileFacts& facts, std::string_view name, bool columns = false) {
  std::vector<std::string> called;
  for (const FileDefinition& d : facts.definitions) {
    if (d.name != name) continue;
    for (std::uint32_t c = d.callsBegin; c < d.callsBegin + d.callsCount; ++c) {
      const CallSite& site = facts.calls[c];
      called.push_back(facts.names[site.name] + (columns ? "@" + std::to_string(site.place.column) : ""));
    }
  }
  return called;
}

std::vector<std::string> names(const FileFacts& facts) {
  std::vector<std::string> out;
  for (const FileDefinition& d : facts.definitions) out.push_back(d.name);
  return out;
}

class BuildScanTest : public ScratchDirTest {
 protected:
  // Reads a database of one entry per file, each with `flags`.
  void readDatabase(const std::vector<std::string>& files, const std::string& flags) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& file : files) entries.emplace_back(file, flags);
    readDatabase(entries);
  }
  // Reads a database of one entry per file, each with its flags.
  void readDatabase(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string text = "[";
    for (const auto& [file, flags] : entries) {
      text += (text.size() > 1 ? ",\n" : "\n") + std::string("{\"directory\": \"") + dir_.string() +
              "\", \"command\": \"qw-no-cc " + flags + " -c " + file + "\", \"file\": \"" + file + "\"}";
    }
    text += "]";
    DatabaseOptions options;
    options.queryDrivers = {"/nowhere/*"};
    DatabaseError error;
    ASSERT_TRUE(database_.read(text, path("compile_commands.json"), options, error)) << error.detail;
  }
  FileFacts scan(std::size_t entry) {
    const DatabaseEntry& e = database_.entries()[entry];
    return scanCFile(e.path, *e.config);
  }
  // The scan of `entry` with the names its build compiles, as a graph has them.
  FileFacts scanCompiled(std::size_t entry) {
    const DatabaseEntry& e = database_.entries()[entry];
    CScanConfig config = *e.config;
    config.compiledNames = true;
    return scanCFile(e.path, config);
  }
  // Scans every entry `rounds` times over (later rounds take every step and
  // effect from the earlier), each time as it scans alone.
  void expectEachAsAlone(int rounds) {
    for (int round = 0; round < rounds; ++round) {
      for (std::size_t i = 0; i < database_.entries().size(); ++i) {
        EXPECT_EQ(summary(scan(i)), summary(scanAlone(i))) << database_.entries()[i].shown << " round " << round;
      }
    }
  }
  // The scan of `entry` with a build of its own that shares nothing.
  FileFacts scanAlone(std::size_t entry) {
    const DatabaseEntry& e = database_.entries()[entry];
    CScanConfig config = *e.config;
    auto build = std::make_shared<CBuild>(*config.build);
    build->headers = std::make_shared<HeaderCache>();
    build->prefixes.reset();
    build->effects.reset();
    build->searches.reset();
    config.build = build;
    return scanCFile(e.path, config);
  }

  CompilationDatabase database_;
};

TEST_F(BuildScanTest, SharedWorkGivesWhatEachFileAloneGives) {
  writeFile("base.h", "#ifndef BASE_H\n#define BASE_H\n#define BASE 1\n#include \"deep.h\"\n#endif\n");
  writeFile("deep.h", "#pragma once\n#ifdef WANT_DEEP\n#define DEEP 1\n#endif\n#define DEEP_SEEN 1\n");
  // Depends on what came before it: the guard of base.h, a symbol of the file.
  writeFile("mid.h",
            "#ifdef BASE_H\n#define MID_AFTER_BASE 1\n#else\n#define MID_ALONE 1\n#endif\n"
            "#if defined(LOCAL) && LOCAL > 1\n#define MID_LOCAL 1\n#endif\n#include \"deep.h\"\n");
  writeFile("undecided.h", "#if __has_attribute(x)\n#define VIA_ATTRIBUTE 1\n#endif\n");
  const std::string uses =
      "#ifdef BASE\nint base_on(void) { return 0; }\n#endif\n"
      "#ifdef DEEP\nint deep_on(void) { return 0; }\n#endif\n"
      "#ifdef MID_AFTER_BASE\nint after_base(void) { return 0; }\n#endif\n"
      "#ifdef MID_ALONE\nint mid_alone(void) { return 0; }\n#endif\n"
      "#ifdef MID_LOCAL\nint mid_local(void) { return 0; }\n#endif\n"
      "#ifdef VIA_ATTRIBUTE\nint via_attribute(void) { return 0; }\n#endif\n";
  writeFile("a.c", "#include \"base.h\"\n#include \"mid.h\"\n" + uses);
  writeFile("b.c", "#include \"base.h\"\n#define LOCAL 2\n#include \"mid.h\"\n" + uses);
  writeFile("c.c", "#include \"mid.h\"\n#include \"base.h\"\n" + uses);
  writeFile("d.c", "#define WANT_DEEP\n#include \"base.h\"\n#include \"mid.h\"\n" + uses);
  writeFile("e.c", "#include \"undecided.h\"\n#include \"base.h\"\n#include \"mid.h\"\n" + uses);
  writeFile("f.c", "#include \"base.h\"\n#include \"mid.h\"\n#include \"mid.h\"\n" + uses);
  readDatabase({"a.c", "b.c", "c.c", "d.c", "e.c", "f.c", "a.c"}, "-I.");
  const std::size_t files = database_.entries().size();
  ASSERT_EQ(files, 6u);
  // Twice over, so that the second round takes every step and effect from the first.
  expectEachAsAlone(2);
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"base_on", "after_base"}));
  EXPECT_EQ(names(scan(1)), (std::vector<std::string>{"base_on", "after_base", "mid_local"}));
  EXPECT_EQ(names(scan(2)), (std::vector<std::string>{"base_on", "mid_alone"}));
  EXPECT_EQ(names(scan(3)), (std::vector<std::string>{"base_on", "deep_on", "after_base"}));
  EXPECT_EQ(names(scan(4)), (std::vector<std::string>{"base_on", "after_base", "via_attribute"}));
  const FileFacts a = scan(0);
  EXPECT_EQ(a.headers, (std::vector<std::string>{path("base.h"), path("deep.h"), path("mid.h")}));
}

// A header long enough to have its effects kept, read in many ways: each file
// defines another selector before including it, and some include a header first
// that changes what it does.
TEST_F(BuildScanTest, AHeaderReadInManyWaysGivesEachFileWhatItAloneGives) {
  std::string header = "#ifndef MANY_H\n#define MANY_H\n";
  for (int i = 0; i < 60; ++i) {
    header += "#ifdef PICK" + std::to_string(i % 12) + "\n#define GOT" + std::to_string(i) + " 1\n#endif\n";
  }
  header += "#ifdef BEFORE_H\n#define AFTER_BEFORE 1\n#endif\n#endif\n";
  writeFile("many.h", header);
  writeFile("before.h", "#ifndef BEFORE_H\n#define BEFORE_H\n#endif\n");
  const std::string uses =
      "#ifdef GOT13\nint got13(void) { return 0; }\n#endif\n"
      "#ifdef GOT59\nint got59(void) { return 0; }\n#endif\n"
      "#ifdef AFTER_BEFORE\nint after_before(void) { return 0; }\n#endif\n";
  std::vector<std::string> files;
  for (int i = 0; i < 24; ++i) {
    const std::string name = "f" + std::to_string(i) + ".c";
    writeFile(name, "#define PICK" + std::to_string(i % 12) + "\n" + (i >= 12 ? "#include \"before.h\"\n" : "") +
                        "#include \"many.h\"\n" + uses);
    files.push_back(name);
  }
  readDatabase(files, "-I.");
  expectEachAsAlone(2);
  EXPECT_EQ(names(scan(1)), (std::vector<std::string>{"got13"}));
  EXPECT_EQ(names(scan(11)), (std::vector<std::string>{"got59"}));
  EXPECT_EQ(names(scan(13)), (std::vector<std::string>{"got13", "after_before"}));
}

// The effects of one header, found by their inputs however many there are.
TEST(HeaderEffectsTest, FindsTheEffectsWhoseInputsHoldInTheOrderAdded) {
  HeaderEffects effects;
  auto effect = [](std::vector<std::pair<std::string_view, std::uint64_t>> inputs) {
    auto made = std::make_shared<HeaderEffect>();
    for (const auto& [name, digest] : inputs) made->inputs.emplace_back(made->texts.keep(name), digest);
    return made;
  };
  const std::vector<std::shared_ptr<HeaderEffect>> made = {
      effect({{"A", 1}, {"B", 2}}), effect({{"A", 1}, {"B", 3}}), effect({{"A", 4}}),
      effect({{"A", 1}}), effect({{"C", 1}}), effect({})};
  bool first = false;
  std::size_t known = 0;
  std::map<std::string, std::uint64_t> now;
  const HeaderEffects::Digest digest = [&](std::string_view name) { return now[std::string(name)]; };
  const HeaderRun run{nullptr, false, 7};
  EXPECT_TRUE(effects.find(run, 1, digest, first, known).empty());
  EXPECT_TRUE(first);
  for (const auto& e : made) effects.add(run, e, 1);
  auto found = [&]() {
    std::vector<std::size_t> at;
    for (const auto& e : effects.find(run, 1, digest, first, known)) {
      at.push_back(static_cast<std::size_t>(std::find(made.begin(), made.end(), e) - made.begin()));
    }
    return at;
  };
  now = {{"A", 1}, {"B", 3}, {"C", 0}};
  EXPECT_EQ(found(), (std::vector<std::size_t>{1, 3, 5}));
  EXPECT_FALSE(first);
  EXPECT_EQ(known, 6u);
  now = {{"A", 4}, {"B", 2}, {"C", 1}};
  EXPECT_EQ(found(), (std::vector<std::size_t>{2, 4, 5}));
  // No more than the most kept; a new generation forgets them all.
  for (std::size_t i = made.size(); i < HeaderEffects::kMostEffects + 4; ++i) {
    effects.add(run, effect({{"D", i}}), 1);
  }
  now = {{"D", HeaderEffects::kMostEffects + 2}};
  EXPECT_EQ(found(), (std::vector<std::size_t>{5}));
  EXPECT_EQ(known, HeaderEffects::kMostEffects);
  // Another line of the header is another run; a short run takes no effect.
  HeaderRun other = run;
  other.line = 8;
  EXPECT_TRUE(effects.find(other, 1, digest, first, known).empty());
  EXPECT_TRUE(first);
  effects.markShort(other, 1);
  effects.add(other, effect({}), 1);
  EXPECT_TRUE(effects.find(other, 1, digest, first, known).empty());
  EXPECT_EQ(known, HeaderEffects::kMostEffects);
  EXPECT_TRUE(effects.find(run, 2, digest, first, known).empty());
  EXPECT_TRUE(first);
}

// A header whose lines after an #include depend on what the included header
// defined, which differs with what the file had read before: the header's
// effects stop at each #include, which is followed anew each time, and the run
// after it is replayed only where what it depends on holds.
TEST_F(BuildScanTest, RunsOfAHeaderBetweenItsIncludesGiveEachFileWhatItAloneGives) {
  std::string filler;
  for (int i = 0; i < 12; ++i) filler += "#define FILL" + std::to_string(i) + " " + std::to_string(i) + "\n";
  writeFile("a.h", "#ifndef A_H\n#define A_H\n#ifdef FIRST\n#define A_SAW_FIRST 1\n#endif\n#define A_VALUE 2\n#endif\n");
  writeFile("b.h", "#ifndef B_H\n#define B_H\n#undef A_VALUE\n#define A_VALUE 3\n#endif\n");
  writeFile("outer.h",
            "#ifndef OUTER_H\n#define OUTER_H\n" + filler +
            "#ifndef NO_A\n#include \"a.h\"\n" + filler +
            "#if A_VALUE == 2\n#define OUTER_TWO 1\n#elif A_VALUE == 3\n#define OUTER_THREE 1\n#endif\n"
            "#ifdef A_SAW_FIRST\n#define OUTER_FIRST 1\n#endif\n#else\n#define OUTER_NO_A 1\n#endif\n" +
            filler + "#endif\n");
  const std::string uses =
      "#ifdef OUTER_TWO\nint two(void) { return 0; }\n#endif\n"
      "#ifdef OUTER_THREE\nint three(void) { return 0; }\n#endif\n"
      "#ifdef OUTER_FIRST\nint first(void) { return 0; }\n#endif\n"
      "#ifdef OUTER_NO_A\nint no_a(void) { return 0; }\n#endif\n";
  writeFile("plain.c", "#include \"outer.h\"\n" + uses);
  writeFile("after_b.c", "#include \"a.h\"\n#include \"b.h\"\n#include \"outer.h\"\n" + uses);
  writeFile("first.c", "#define FIRST\n#include \"outer.h\"\n" + uses);
  writeFile("first_late.c", "#include \"a.h\"\n#define FIRST\n#include \"outer.h\"\n" + uses);
  writeFile("no_a.c", "#define NO_A\n#include \"outer.h\"\n" + uses);
  readDatabase({"plain.c", "after_b.c", "first.c", "first_late.c", "no_a.c"}, "-I.");
  expectEachAsAlone(3);
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"two"}));
  EXPECT_EQ(names(scan(1)), (std::vector<std::string>{"three"}));
  EXPECT_EQ(names(scan(2)), (std::vector<std::string>{"two", "first"}));
  EXPECT_EQ(names(scan(3)), (std::vector<std::string>{"two"}));
  EXPECT_EQ(names(scan(4)), (std::vector<std::string>{"no_a"}));
}

// Files of builds with other search folders share the effects of a header's
// lines, but not where the header asks __has_include, which each build's folders
// answer.
TEST_F(BuildScanTest, BuildsShareEffectsButNotTheAnswersOfTheirFolders) {
  std::filesystem::create_directories(dir_ / "common");
  std::filesystem::create_directories(dir_ / "with");
  std::filesystem::create_directories(dir_ / "without");
  std::string filler;
  for (int i = 0; i < 12; ++i) filler += "#define FILL" + std::to_string(i) + " " + std::to_string(i) + "\n";
  writeFile("with/opt.h", "#define OPT 1\n");
  writeFile("common/asks.h", "#ifndef ASKS_H\n#define ASKS_H\n" + filler +
                                 "#if __has_include(<opt.h>)\n#define HAS_OPT 1\n#endif\n#endif\n");
  writeFile("common/plain.h", "#ifndef PLAIN_H\n#define PLAIN_H\n" + filler +
                                  "#ifdef WANT\n#define WANTED 1\n#endif\n#endif\n");
  const std::string uses =
      "#include <asks.h>\n#include <plain.h>\n"
      "#ifdef HAS_OPT\nint has_opt(void) { return 0; }\n#endif\n"
      "#ifdef WANTED\nint wanted(void) { return 0; }\n#endif\n";
  writeFile("one.c", uses);
  writeFile("two.c", uses);
  writeFile("three.c", uses);
  readDatabase({{"two.c", "-Icommon -Iwithout -DWANT -nostdinc"},
                {"three.c", "-Icommon -Iwithout -nostdinc"},
                {"one.c", "-Icommon -Iwith -nostdinc"}});
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"wanted"})) << round;
    EXPECT_EQ(names(scan(1)), (std::vector<std::string>{})) << round;
    EXPECT_EQ(names(scan(2)), (std::vector<std::string>{"has_opt"})) << round;
  }
}

TEST_F(BuildScanTest, IncludeNextAndHasInclude) {
  std::filesystem::create_directories(dir_ / "first");
  std::filesystem::create_directories(dir_ / "second");
  writeFile("first/limits.h", "#define FIRST_LIMITS 1\n#include_next <limits.h>\n");
  writeFile("second/limits.h", "#define SECOND_LIMITS 1\n");
  writeFile("main.c",
            "#include <limits.h>\n"
            "#if defined(FIRST_LIMITS) && defined(SECOND_LIMITS)\nint both(void) { return 0; }\n#endif\n"
            "#if __has_include(\"second/limits.h\") && !__has_include(<none.h>)\nint has(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-Ifirst -Isecond -nostdinc");
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"both", "has"}));
}

TEST_F(BuildScanTest, MissingHeadersLeaveTheRestUnknown) {
  writeFile("main.c",
            "#ifdef BEFORE\nint before(void) { return 0; }\n#endif\n#include \"gone.h\"\n"
            "#include <gone.h>\n#include \"gone.h\"\n#ifdef AFTER\nint after(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  const FileFacts facts = scan(0);
  EXPECT_EQ(names(facts), (std::vector<std::string>{"after"}));
  EXPECT_EQ(facts.missingHeaders, (std::vector<std::string>{"\"gone.h\"", "<gone.h>"}));
  EXPECT_EQ(facts.undecidedCount(), 1u);
}

TEST_F(BuildScanTest, NamesAreTheOnesTheBuildCompiles) {
  // A name that the build's object-like macros make another one is that one, for a
  // definition and for a call; a macro of a value or a keyword leaves it as written.
  writeFile("names.h",
            "#define SUFFIX(n) n##8\n#define compile SUFFIX(compile_)\n#define hash ZSTD_hash\n#define hash2 rpl_hash2\n"
            "#define check_it _Static_assert\n#define sized 2 + size\n#ifdef UNKNOWN\n#define maybe other\n#endif\n");
  writeFile("main.c",
            "#include \"names.h\"\nint compile(int x) { check_it(1, \"m\"); return hash(x) + maybe(x) + SUFFIX(run_)(x); }\n"
            "static int hash(int v) { return sized(v); }\n"
            "int hash2(int v)\n#undef hash\n{ return hash(v); }\n");
  readDatabase({"main.c"}, "-nostdinc");
  auto calledIn = [](const FileFacts& facts) {
    std::vector<std::string> called;
    for (const CallSite& site : facts.calls) called.push_back(facts.names[site.name]);
    return called;
  };
  // As written unless asked: the words an editor shows.
  const FileFacts written = scan(0);
  EXPECT_EQ(names(written), (std::vector<std::string>{"compile", "hash", "hash2"}));
  EXPECT_EQ(calledIn(written), (std::vector<std::string>{"check_it", "hash", "maybe", "SUFFIX", "run_", "sized", "hash"}));
  CScanConfig config = *database_.entries()[0].config;
  config.compiledNames = true;
  const FileFacts facts = scanCFile(database_.entries()[0].path, config);
  // A head whose macro a directive changes before its body keeps the name it had;
  // a function-like macro's call that makes a name calls that name.
  EXPECT_EQ(names(facts), (std::vector<std::string>{"compile_8", "ZSTD_hash", "rpl_hash2"}));
  EXPECT_EQ(calledIn(facts), (std::vector<std::string>{"ZSTD_hash", "maybe", "SUFFIX", "run_8", "sized", "hash"}));
}

TEST_F(BuildScanTest, AMacroCallFollowedByArgumentsCallsTheNameItMakes) {
  // In a body and in a replacement; not where the enclosing macro's parameter
  // makes the name, nor where the call gives more than a name.
  writeFile("main.c",
            "#define PRIV(n) lib_##n##_8\n#define TWO(n) a n\n"
            "#define IS_NL(p) (PRIV(is_newline)(p))\n#define CALL(n, p) PRIV(n)(p)\n"
            "int f(int x) { return PRIV(check)(x) + TWO(b)(x); }\n");
  readDatabase({"main.c"}, "-nostdinc");
  const FileFacts facts = scanCompiled(0);
  EXPECT_EQ(callsOf(facts, "f"), (std::vector<std::string>{"PRIV", "lib_check_8", "TWO", "b"}));
  EXPECT_EQ(callsOf(facts, "IS_NL"), (std::vector<std::string>{"PRIV", "lib_is_newline_8"}));
  EXPECT_EQ(callsOf(facts, "CALL"), (std::vector<std::string>{"PRIV"}));
  // Where a function-like macro stood, the call says so: it is the macro's, not a
  // function's of the same name.
  std::vector<bool> macro;
  for (const CallSite& site : facts.calls) macro.push_back(site.macro);
  EXPECT_EQ(macro, (std::vector<bool>{true, false, true, true, false, true, false}));
}

TEST_F(BuildScanTest, AnObjectLikeMacroOfAHeaderThatCallsIsCalledWhereItIsUsed) {
  // As a file's own are, reserved names too; not a system header's that calls
  // only reserved names, nor one that calls nothing, nor a member of that name.
  writeFile("guard.h",
            "#define INTON ({ if (--suppress == 0 && pending) onint(); 0; })\n"
            "#define LOCATOR (*(__locator ()))\n#define SIZE (sizeof (int))\n"
            "#define PLAIN ((int) 1)\n");
  writeFile("sys/errno.h", "#define ERRNO (*__errno_location ())\n");
  writeFile("main.c",
            "#include \"guard.h\"\n#include <errno.h>\n"
            "int f(struct s *p) { INTON; p->INTON = ERRNO + SIZE + PLAIN + LOCATOR; return 0; }\n");
  readDatabase({"main.c"}, "-nostdinc -I. -isystem sys");
  EXPECT_EQ(callsOf(scanCompiled(0), "f"), (std::vector<std::string>{"INTON", "LOCATOR"}));
}

TEST_F(BuildScanTest, AMacroWhoseCalleeAnotherRenamesCallsTheRenamedFunction) {
  // libxml2's globals: `xmlGenericError(ctx, ...)` and `xmlGenericErrorContext`
  // call __xmlGenericError__internal_alias and its like.
  writeFile("globals.h",
            "#define ERR (*(__err ()))\n#define ERR_CTX (*(__err_ctx ()))\n"
            "#define __err __err__alias\n#define __err_ctx __err_ctx__alias\n");
  writeFile("main.c", "#include \"globals.h\"\nint f(void) { ERR(ERR_CTX, 1); return 0; }\n");
  readDatabase({"main.c"}, "-nostdinc -I.");
  EXPECT_EQ(callsOf(scanCompiled(0), "f"),
            (std::vector<std::string>{"ERR", "__err__alias", "ERR_CTX", "__err_ctx__alias"}));
}

TEST_F(BuildScanTest, AMacroThatGivesAFunctionThroughACommaCallsItWhereItIsCalled) {
  writeFile("msg.h",
            "#define fatal (*(set_loc(__FILE__, __LINE__), r_fatal))\n"
            "#define STATE(fn) (enter_state(s), fn)\n#define error STATE(r_error)\n"
            "#define pair (a, b + 1)\n");
  writeFile("main.c", "#include \"msg.h\"\nint f(void) { fatal(\"x\"); error(\"y\"); return pair; }\n");
  readDatabase({"main.c"}, "-nostdinc -I.");
  EXPECT_EQ(callsOf(scanCompiled(0), "f"), (std::vector<std::string>{"fatal", "r_fatal", "error", "r_error"}));
}

TEST_F(BuildScanTest, ADeclarationThatMacrosMakeAHeadHeadsTheBodyAfterIt) {
  // flex's YY_DECL, at the macro as the compiler places it, with any other
  // definition its expansion makes; a struct's name is no such macro; old
  // code's portable parameter lists.
  writeFile("scan.c",
            "#define YY_DECL int yylex (void)\n"
            "#define TWO_DECL static int helper(void) { return 1; } static int second (void)\n"
            "#define S s\n"
            "#define DECLARG(list) (\n#define DECLSEP ,\n#define DECLEND )\n"
            "YY_DECL\n{ return next(); }\n"
            "TWO_DECL\n{ return helper(); }\n"
            "struct S { int a; };\n"
            "void\nset DECLARG((a, b))\n  int a DECLSEP\n  int b DECLEND\n{ put(a, b); }\n");
  readDatabase({"scan.c"}, "-nostdinc");
  const FileFacts facts = scanCompiled(0);
  EXPECT_EQ(summary(facts), "YY_DECL@1\nTWO_DECL@2\nS@3\nDECLARG@4\nyylex@7\nhelper@9\nsecond@9\nset@13\n");
  EXPECT_EQ(callsOf(facts, "set"), (std::vector<std::string>{"put"}));
  EXPECT_EQ(callsOf(facts, "yylex"), (std::vector<std::string>{"next"}));
  EXPECT_EQ(callsOf(facts, "second"), (std::vector<std::string>{"helper"}));
  EXPECT_TRUE(facts.definitions.at(5).isStatic && facts.definitions.at(6).isStatic);
}

TEST_F(BuildScanTest, ALineDirectiveNamesAFileBesideTheSourceOrWhereTheCompilerRuns) {
  std::filesystem::create_directories(dir_ / "src");
  writeFile("src/p.y", "%%\n");
  writeFile("src/q.y", "%%\n");
  writeFile("src/p.c",
            "#line 3 \"src/p.y\"\nint a(void) { return 0; }\n"
            "#line 7 \"q.y\"\nint b(void) { return 0; }\n"
            "#line 9 \"src/gone.y\"\nint c(void) { return 0; }\n");
  readDatabase({"src/p.c"}, "-nostdinc");
  const DatabaseEntry& e = database_.entries()[0];
  CScanConfig config = *e.config;
  config.presumedLines = true;
  const FileFacts facts = scanCFile(e.path, config);
  ASSERT_EQ(facts.definitions.size(), 3u);
  EXPECT_EQ(facts.definitions[0].presumedFile, path("src/p.y"));
  EXPECT_EQ(facts.definitions[0].place.line, 3u);
  EXPECT_EQ(facts.definitions[1].presumedFile, path("src/q.y"));
  EXPECT_EQ(facts.definitions[1].place.line, 7u);
  EXPECT_EQ(facts.definitions[2].presumedFile, "");
  EXPECT_EQ(facts.definitions[2].place.line, 6u);
}

TEST_F(BuildScanTest, AMacroWhoseRecordCannotShowItsCallsCallsWhatItsExpansionDoes) {
  // Names it pastes and a name before a parameter are called where the macro is,
  // but not the calls its arguments hold (the body has them) nor sizeof's.
  writeFile("main.c",
            "#define RB_FIND(name, x) name##_RB_FIND(x)\n"
            "#define debug(args) do { if (mask) debugx_ args; } while (0)\n"
            "#define SIZED(name, x) name##_size(sizeof(hidden(x)))\n"
            "int f(int x) { debug((\"%d\", g(x))); return RB_FIND(tree, x) + SIZED(t, x); }\n");
  readDatabase({"main.c"}, "-nostdinc");
  const std::vector<std::string> called = callsOf(scanCompiled(0), "f", true);
  EXPECT_EQ(called, (std::vector<std::string>{"debug@16", "g@29", "debugx_@16", "RB_FIND@44", "tree_RB_FIND@44",
                                              "SIZED@63", "t_size@63"}));
}

TEST_F(BuildScanTest, AMacroThatCallsANameAnotherMacroMakesCallsThatNameWhereItIsUsed) {
  // `PRIV(f)(x)` and `f(x)` with `#define f SUFFIX(f_)` in a replacement, in a
  // function-like macro and in an object-like one; each use as the macro is
  // defined there. A macro that only calls a pasting one is left to its record.
  writeFile("main.c",
            "#define glue(a, b) a##b\n#define G(a, b) glue(a, b)\n#define PRIV(n) lib_##n\n"
            "#define lib_is_newline G(lib_is_newline_, 8)\n#define IS_NL(p) (PRIV(is_newline)(p))\n"
            "#define SUB1(a, b) G(a, 8)(G(b, 8))\n#define CONTEXTS ctx = G(ctx_create_, 8)(0)\n"
            "#define ASSERT_(c, p) if (!(c)) p##fail()\n#define CHECK(c) ASSERT_(c, check_)\n"
            "int f(int x) { CONTEXTS; SUB1(free, x); CHECK(x); return IS_NL(x); }\n"
            "#undef SUB1\n#define SUB1(a, b) G(a, 16)(G(b, 16))\n"
            "void g(int x) { SUB1(free, x); }\n"
            "#define SIMPLE(H) H(2) H(3)\n#define ALL(H) SIMPLE(H)\n#define CASE_(n) case n: run_##n(); break;\n"
            "#define CODE(X) X\n#define APPLY(f, x) f(x)\n"
            "void h(int x) CODE({ switch (x) { ALL(CASE_) } APPLY(helper, g(x)); })\n");
  readDatabase({"main.c"}, "-nostdinc");
  const FileFacts facts = scanCompiled(0);
  // A macro whose argument another macro calls; a body that an identity macro wraps.
  EXPECT_EQ(callsOf(facts, "h"), (std::vector<std::string>{"ALL", "run_2", "run_3", "APPLY", "g", "helper"}));
  EXPECT_EQ(callsOf(facts, "f", true),
            (std::vector<std::string>{"CONTEXTS@16", "ctx_create_8@16", "SUB1@26", "free8@26", "CHECK@41",
                                      "IS_NL@58", "lib_is_newline_8@58"}));
  EXPECT_EQ(callsOf(facts, "g"), (std::vector<std::string>{"SUB1", "free16"}));
}

TEST_F(BuildScanTest, AHeadWrappedInAMacroIsTheHeadOfItsExpansion) {
  writeFile("wrap.h",
            "#define UNUSED(declaration) __attribute__((unused)) declaration\n"
            "#define EXPORT(d) static d\n#define PASTE(n) int made_##n(void)\n#define PRIV(n) _lib_##n\n"
            "#define FUNCTION(type, name, args) type name args\n"
            "#define INIT(n) static void n##_body(void); void n(void) { run(n##_body); } static void n##_body(void)\n");
  writeFile("main.c",
            "#include \"wrap.h\"\nUNUSED(int swap(int *p, int v)) {\n  return helper(p, v);\n}\n"
            "EXPORT(void init(int *h)) { swap(h, 1); }\nPASTE(one) { return 0; }\n"
            "int UNUSED(x) { return 0; }\nint PRIV(check)(int c) { return c; }\n"
            "FUNCTION(int,\n  twice, (int x)) { return 2 * x; }\n"
            "INIT(setup) { work(); }\nINIT(alone);\n");
  readDatabase({"main.c"}, "-nostdinc");
  // Where the name is written; a pasted one, as the compiler names it, in a graph.
  FileFacts facts = scan(0);
  ASSERT_EQ(names(facts),
            (std::vector<std::string>{"swap", "init", "PASTE", "UNUSED", "check", "twice", "setup", "INIT", "alone"}));
  EXPECT_EQ(facts.definitions[0].place.line, 2u);
  EXPECT_EQ(facts.definitions[0].place.column, 12u);
  EXPECT_FALSE(facts.definitions[0].isStatic);
  EXPECT_TRUE(facts.definitions[1].isStatic);
  CScanConfig config = *database_.entries()[0].config;
  config.compiledNames = true;
  facts = scanCFile(database_.entries()[0].path, config);
  EXPECT_EQ(names(facts), (std::vector<std::string>{"swap", "init", "made_one", "UNUSED", "_lib_check", "twice",
                                                    "setup", "setup_body", "alone"}));
  // A head whose expansion defines functions before it: those, and the body's.
  EXPECT_EQ(callsOf(facts, "setup"), (std::vector<std::string>{"run"}));
  EXPECT_EQ(callsOf(facts, "setup_body"), (std::vector<std::string>{"work"}));
  EXPECT_EQ(callsOf(facts, "alone"), (std::vector<std::string>{"run"}));
  // At the macro, as the compiler places what the macro's expansion defines.
  EXPECT_EQ(facts.definitions[0].place.line, 2u);
  EXPECT_EQ(facts.definitions[0].place.column, 1u);
  EXPECT_EQ(facts.definitions[5].place.line, 9u);
  EXPECT_EQ(facts.definitions[5].place.column, 1u);
}

TEST_F(BuildScanTest, AHeaderInAnUndecidedBranchMergesAsTheFilesOwn) {
  writeFile("on.h", "#define FEATURE 1\n");
  writeFile("main.c",
            "#include \"gone.h\"\n#ifdef UNKNOWN\n#include \"on.h\"\n#endif\n"
            "#ifdef FEATURE\nint maybe(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  const FileFacts facts = scan(0);
  EXPECT_EQ(names(facts), (std::vector<std::string>{"maybe"}));
  EXPECT_EQ(facts.undecidedCount(), 2u);
}

TEST_F(BuildScanTest, AChangedHeaderIsReadAgainOnceForgotten) {
  writeFile("conf.h", "#define ON 1\n");
  writeFile("main.c", "#include \"conf.h\"\n#ifdef ON\nint on(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"on"}));
  writeFile("conf.h", "#define OFF 1\n");
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"on"}));  // still the text read first
  database_.headers()->forget(path("conf.h"));
  EXPECT_EQ(names(scan(0)), std::vector<std::string>{});
}

TEST_F(BuildScanTest, WhereAHeaderIsFoundDependsOnItsIncluder) {
  // "x.h" from two folders, <x.h> and #include_next: each found where the
  // compiler finds it, also when the build remembers its searches.
  std::filesystem::create_directories(dir_ / "a");
  std::filesystem::create_directories(dir_ / "b");
  std::filesystem::create_directories(dir_ / "sys");
  writeFile("a/one.h", "#include \"x.h\"\n");
  writeFile("a/x.h", "#define FROM_A 1\n");
  writeFile("b/two.h", "#include <x.h>\n");
  writeFile("b/x.h", "#define FROM_B 1\n#include_next <x.h>\n");
  writeFile("sys/x.h", "#define FROM_SYS 1\n");
  writeFile("main.c",
            "#include \"a/one.h\"\n#include \"b/two.h\"\n"
            "#if FROM_A && FROM_B && FROM_SYS\nint all(void) { return 0; }\n#endif\n");
  writeFile("other.c",
            "#include \"x.h\"\n#if !defined(FROM_A) && FROM_B && FROM_SYS\nint no_a(void) { return 0; }\n#endif\n");
  readDatabase({"main.c", "other.c"}, "-Ib -Isys -nostdinc");
  EXPECT_EQ(names(scan(0)), (std::vector<std::string>{"all"}));
  EXPECT_EQ(names(scan(1)), (std::vector<std::string>{"no_a"}));
  EXPECT_EQ(summary(scan(1)), summary(scanAlone(1)));
}

TEST_F(BuildScanTest, AHeaderMadeLaterIsFoundOnceForgotten) {
  writeFile("main.c", "#include \"late.h\"\n#ifdef LATE\nint late(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  EXPECT_EQ(scan(0).missingHeaders, (std::vector<std::string>{"\"late.h\""}));
  writeFile("late.h", "#define LATE 1\n");
  database_.headers()->forget(path("late.h"));
  const FileFacts facts = scan(0);
  EXPECT_TRUE(facts.missingHeaders.empty());
  EXPECT_EQ(names(facts), (std::vector<std::string>{"late"}));
}

TEST_F(BuildScanTest, AGuardedHeaderIsReadOnceWhenItsGuardIsLeftUnknown) {
  // After a missing header nothing unlisted is known. Each header includes the
  // next in both branches of an undecided conditional and after it (and a missing
  // header of its own, so that no reading is remembered as an effect): the second
  // branch starts with the next one's guard unknown again. Read again at each
  // include, the 24 headers would take some 2^24 readings.
  constexpr int kHeaders = 24;
  for (int i = 0; i < kHeaders; ++i) {
    const std::string next = "\"h" + std::to_string(i + 1) + ".h\"";
    const std::string guard = "H" + std::to_string(i);
    writeFile("h" + std::to_string(i) + ".h",
              "#ifndef " + guard + "\n#define " + guard + "\n#include \"gone" + std::to_string(i) +
                  ".h\"\n#ifdef U" + std::to_string(i) +
                  "\n#include " + next + "\n#else\n#include " + next + "\n#endif\n#include " + next +
                  "\n#endif\n");
  }
  writeFile("h" + std::to_string(kHeaders) + ".h", "#define LAST 1\n");
  writeFile("main.c", "#include \"gone.h\"\n#include \"h0.h\"\n#ifdef LAST\nint last(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  const FileFacts facts = scan(0);
  EXPECT_EQ(names(facts), (std::vector<std::string>{"last"}));
  EXPECT_EQ(facts.headers.size(), static_cast<std::size_t>(kHeaders + 1));
}

TEST_F(BuildScanTest, AGuardLeftUnknownByAMissingHeaderIsTakenAsUndefined) {
  // The header is read and scanned as a file as if nothing had defined its guard:
  // its symbols known after it, its second #include passed by, nothing undecided.
  writeFile("conf.h", "#ifndef CONF_H\n#define CONF_H\n#define LEVEL 2\n#ifdef LEVEL\n"
                      "static inline int helper(void) { return LEVEL; }\n#endif\n#endif\n");
  writeFile("main.c", "#include \"gone.h\"\n#include \"conf.h\"\n#include \"conf.h\"\n"
                      "#if LEVEL == 2\nint two(void) { return 0; }\n#else\nint other(void) { return 0; }\n#endif\n");
  readDatabase({"main.c"}, "-nostdinc");
  ReachedHeaders reached(dir_.string());
  CScanConfig config = *database_.entries()[0].config;
  config.reached = &reached;
  const FileFacts facts = scanCFile(database_.entries()[0].path, config);
  EXPECT_EQ(names(facts), (std::vector<std::string>{"two"}));
  EXPECT_EQ(facts.undecidedCount(), 0u);
  const ReachedHeader* header = reached.find(path("conf.h"));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(summary(header->facts), "helper@5\n");
}

TEST_F(BuildScanTest, OneHeaderThroughTwoSpellingsOfItsFolder) {
  std::filesystem::create_directories(dir_ / "real");
  std::filesystem::create_directory_symlink(dir_ / "real", dir_ / "link");
  writeFile("real/h.h", "#define H 1\n");
  writeFile("real/a.c", "#include \"h.h\"\n");
  writeFile("b.c", "#include <h.h>\n");
  readDatabase({"link/a.c", "b.c"}, "-Ilink");
  const FileFacts a = scan(0);
  const FileFacts b = scan(1);
  ASSERT_EQ(a.headers.size(), 1u);
  EXPECT_EQ(a.headers, b.headers);
}

TEST_F(BuildScanTest, HeadersReachedAreScannedByTheFirstIncluderThenByOneThatReadsThemOtherwise) {
  writeFile("shared.h", "#if MODE == 1\nstatic inline int one(void) { return 1; }\n#else\n"
                        "static inline int other(void) { return 2; }\n#endif\n");
  writeFile("a.c", "#include \"shared.h\"\n");
  writeFile("b.c", "#define MODE 1\n#include \"shared.h\"\n");
  writeFile("c.c", "#define MODE 1\n#include \"shared.h\"\n");
  writeFile("d.c", "#include \"shared.h\"\n");
  readDatabase({"a.c", "b.c", "c.c", "d.c"}, "-nostdinc");
  ReachedHeaders reached(dir_.string());
  auto scanFile = [&](std::size_t i) {
    CScanConfig config = *database_.entries()[i].config;
    config.reached = &reached;
    config.rank = i;
    scanCFile(database_.entries()[i].path, config);
  };
  // Out of order, as threads may: the first file's scan replaces the others' claims.
  for (std::size_t i : {2u, 1u, 3u, 0u}) scanFile(i);
  const ReachedHeader* header = reached.find(path("shared.h"));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->rank, ScanRank(0, 0));
  EXPECT_EQ(header->facts.path, "shared.h");
  EXPECT_EQ(names(header->facts), (std::vector<std::string>{"other"}));
  // Of the files that read it with MODE 1, the first scans it again; d.c reads it as a.c does.
  const std::vector<ScanRank> again = reached.planAgain();
  ASSERT_EQ(again, (std::vector<ScanRank>{{1, 0}}));
  scanFile(1);
  reached.mergeAgain();
  ASSERT_EQ(header->again.size(), 1u);
  EXPECT_EQ(header->again[0].includer, path("b.c"));
  EXPECT_EQ(names(header->facts), (std::vector<std::string>{"one", "other"}));
}

}  // namespace
}  // namespace quenwick
