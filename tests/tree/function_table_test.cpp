#include "tree/function_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace quenwick {
namespace {

// Appends a record made with captions on and an empty caption.
FuncRecord& define(FunctionTable& table, std::string_view name, std::string_view file,
                   int line = 1) {
  std::string caption;
  return table.appendFuncRecord(table.createFuncRecord(name, file, line, &caption, true));
}

std::vector<std::string> callees(const FunctionTable& table, const FuncRecord& record) {
  std::vector<std::string> names;
  for (std::uint32_t id : table.Sons(record)) names.emplace_back(table.nameOf(id));
  return names;
}

// The table as plain rows, with the operations done the slow way: every lookup
// walks all rows.
struct Reference {
  struct Row {
    std::string name, file;
    std::vector<std::string> sons;
    bool called = false;
  };
  std::vector<Row> rows;

  // Count of the chosen group and the position of its first row (-1 for none).
  std::pair<int, int> resolve(const std::string& callee, const std::string& callerFile) const {
    int same = 0, other = 0, firstSame = -1, firstOther = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
      if (rows[i].name != callee) continue;
      if (rows[i].file == callerFile) {
        if (same++ == 0) firstSame = i;
      } else {
        if (other++ == 0) firstOther = i;
      }
    }
    return same > 0 ? std::pair{same, firstSame} : std::pair{other, firstOther};
  }

  void markCalled() {
    for (Row& r : rows) {
      r.called = false;
      for (const Row& s : rows) {
        if (std::find(s.sons.begin(), s.sons.end(), r.name) != s.sons.end()) {
          r.called = true;
          break;
        }
      }
    }
  }

  void prune() {
    for (Row& r : rows) {
      auto e = r.sons.begin();
      while (e != r.sons.end()) {
        if (resolve(*e, r.file).first == 0) {
          r.sons.erase(std::find(r.sons.begin(), r.sons.end(), *e));
          e = r.sons.begin();
        } else {
          ++e;
        }
      }
    }
  }
};

void expectSameResolution(FunctionTable& table, const Reference& ref,
                          const std::vector<std::string>& names,
                          const std::vector<std::string>& files) {
  for (const std::string& name : names) {
    for (const std::string& file : files) {
      auto [count, first] = ref.resolve(name, file);
      FuncRecord* chosen = reinterpret_cast<FuncRecord*>(1);
      ASSERT_EQ(table.resolveCallee(name, file, chosen), count) << name << " from " << file;
      if (first < 0) {
        ASSERT_EQ(chosen, nullptr) << name << " from " << file;
      } else {
        ASSERT_EQ(chosen, &table.records()[first]) << name << " from " << file;
      }
    }
  }
}

TEST(FunctionTableTest, IndexedOperationsAgreeWithLinearWalks) {
  const std::vector<std::string> defined = {"f", "g", "h", "main", "init", "F"};
  const std::vector<std::string> undefined = {"printf", "exit", "f_", ""};
  std::vector<std::string> names = defined;
  names.insert(names.end(), undefined.begin(), undefined.end());
  const std::vector<std::string> files = {"a.c", "./a.c", "b.c", "sub/c.c", "A.c"};
  std::vector<std::string> askFrom = files;
  askFrom.push_back("never.c");

  std::mt19937 random(20240611);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };

  for (int round = 0; round < 300; ++round) {
    FunctionTable table;
    Reference ref;
    int records = std::uniform_int_distribution<int>(0, 14)(random);
    for (int i = 0; i < records; ++i) {
      Reference::Row row{pick(defined), pick(files), {}, false};
      // Made but never linked in: must not count as a definition.
      if (random() % 5 == 0) table.createFuncRecord(pick(undefined), pick(files), 1, nullptr, true);
      FuncRecord& record = define(table, row.name, row.file, i + 1);
      int sons = std::uniform_int_distribution<int>(0, 5)(random);
      for (int s = 0; s < sons; ++s) {
        std::string callee = pick(names);
        bool held = std::find(row.sons.begin(), row.sons.end(), callee) != row.sons.end();
        ASSERT_EQ(table.containsCallee(record, callee), held) << callee;
        if (held) continue;
        table.addCallee(record, callee);
        row.sons.push_back(callee);
      }
      ref.rows.push_back(row);
      // The index must be right at every size, not only once the table is full.
      if (random() % 4 == 0) expectSameResolution(table, ref, names, askFrom);
    }
    ASSERT_EQ(table.records().size(), ref.rows.size());
    expectSameResolution(table, ref, names, askFrom);

    // Flags from a dirty start: markCalled clears before it sets.
    for (FuncRecord& record : table.records()) record.called = random() % 2 == 0;
    table.markCalled();
    ref.markCalled();
    for (std::size_t i = 0; i < ref.rows.size(); ++i) {
      EXPECT_EQ(table.records()[i].called, ref.rows[i].called) << "round " << round << " row " << i;
    }

    table.pruneUndefinedCallees();
    ref.prune();
    for (std::size_t i = 0; i < ref.rows.size(); ++i) {
      EXPECT_EQ(callees(table, table.records()[i]), ref.rows[i].sons)
          << "round " << round << " row " << i;
    }
    // Pruning removes no definition, so flags and resolution are as before.
    table.markCalled();
    for (std::size_t i = 0; i < ref.rows.size(); ++i) {
      EXPECT_EQ(table.records()[i].called, ref.rows[i].called);
    }
    expectSameResolution(table, ref, names, askFrom);
  }
}

// Long callee lists are indexed by the name list itself; pruning must keep order there too.
TEST(FunctionTableTest, PruningLongCalleeListsKeepsOrder) {
  FunctionTable table;
  FuncRecord& caller = define(table, "caller", "a.c");
  std::vector<std::string> kept;
  for (int i = 0; i < 60; ++i) {
    std::string name = "n" + std::to_string(i);
    table.addCallee(caller, name);
    if (i % 3 == 0) {
      define(table, name, i % 2 == 0 ? "a.c" : "b.c");
      kept.push_back(name);
    }
  }
  table.pruneUndefinedCallees();
  EXPECT_EQ(callees(table, table.records()[0]), kept);
}

TEST(FunctionTableTest, OwnFileWinsOverAnyNumberElsewhere) {
  FunctionTable table;
  define(table, "f", "Y.c");
  define(table, "f", "X.c");
  define(table, "f", "Z.c");
  FuncRecord* chosen = nullptr;
  EXPECT_EQ(table.resolveCallee("f", "X.c", chosen), 1);
  EXPECT_EQ(chosen, &table.records()[1]);
  EXPECT_EQ(table.resolveCallee("f", "W.c", chosen), 3);
  EXPECT_EQ(chosen, &table.records()[0]);
  EXPECT_EQ(table.resolveCallee("g", "X.c", chosen), 0);
  EXPECT_EQ(chosen, nullptr);
}

TEST(FunctionTableTest, TwoInOwnFileGiveTheEarlier) {
  FunctionTable table;
  define(table, "f", "b.c");
  define(table, "f", "a.c", 10);
  define(table, "f", "c.c");
  define(table, "f", "a.c", 20);
  FuncRecord* chosen = nullptr;
  EXPECT_EQ(table.resolveCallee("f", "a.c", chosen), 2);
  EXPECT_EQ(chosen->lines, 10);

  FunctionTable alone;
  define(alone, "f", "b.c");
  EXPECT_EQ(alone.resolveCallee("f", "a.c", chosen), 1);
  EXPECT_EQ(chosen, &alone.records()[0]);
}

TEST(FunctionTableTest, FileNamesAreNotNormalised) {
  FunctionTable table;
  define(table, "f", "a.c");
  define(table, "f", "./a.c");
  FuncRecord* chosen = nullptr;
  EXPECT_EQ(table.resolveCallee("f", "./a.c", chosen), 1);
  EXPECT_EQ(chosen, &table.records()[1]);
  EXPECT_EQ(table.resolveCallee("f", "A.C", chosen), 2);
  EXPECT_EQ(chosen, &table.records()[0]);
}

TEST(FunctionTableTest, CalledGoesByNameAcrossFiles) {
  FunctionTable table;
  FuncRecord& self = define(table, "loop", "a.c");
  table.addCallee(self, "loop");
  FuncRecord& user = define(table, "main", "a.c");
  table.addCallee(user, "init");
  define(table, "init", "a.c");
  define(table, "init", "b.c");
  define(table, "spare", "b.c");
  table.markCalled();
  std::vector<bool> called;
  for (const FuncRecord& record : table.records()) called.push_back(record.called);
  EXPECT_EQ(called, (std::vector<bool>{true, false, true, true, false}));
  EXPECT_EQ(callees(table, table.records()[0]), std::vector<std::string>{"loop"});
}

TEST(FunctionTableTest, PruneKeepsOnlyDefinedNames) {
  FunctionTable table;
  FuncRecord& main = define(table, "main", "a.c");
  for (const char* name : {"printf", "compute", "puts"}) table.addCallee(main, name);
  FuncRecord& other = define(table, "other", "b.c");
  for (const char* name : {"exit", "abort"}) table.addCallee(other, name);
  define(table, "compute", "b.c");
  table.pruneUndefinedCallees();
  EXPECT_EQ(callees(table, table.records()[0]), std::vector<std::string>{"compute"});
  EXPECT_TRUE(table.Sons(table.records()[1]).empty());
}

TEST(FunctionTableTest, ColumnMaximaRiseOnlyWithRecords) {
  FunctionTable table;
  EXPECT_EQ(table.maxFileNameLen, 6u);
  EXPECT_EQ(table.maxLineNo, 0);
  define(table, "f", "a.c", 9);
  define(table, "g", "abcdef", 3);
  EXPECT_EQ(table.maxFileNameLen, 6u);
  EXPECT_EQ(table.maxLineNo, 9);
  // Resolving from a long file name that holds no definition changes nothing.
  FuncRecord* chosen = nullptr;
  table.resolveCallee("f", "twelve_bytes", chosen);
  EXPECT_EQ(table.maxFileNameLen, 6u);
  define(table, "h", "twelve_bytes", 10);
  EXPECT_EQ(table.maxFileNameLen, 12u);
  EXPECT_EQ(table.maxLineNo, 10);
  table.freeFunctionTable();
  EXPECT_TRUE(table.records().empty());
  EXPECT_EQ(table.maxFileNameLen, 12u);
  EXPECT_EQ(table.maxLineNo, 10);
  // The table works again after being freed.
  define(table, "f", "a.c");
  EXPECT_EQ(table.resolveCallee("f", "a.c", chosen), 1);
  EXPECT_EQ(chosen, &table.records()[0]);
}

TEST(FunctionTableTest, CaptionIsAbsentOnlyWhenCaptionsAreOff) {
  FunctionTable table;
  std::string empty, text = "entry point";
  FuncRecord on = table.createFuncRecord("f", "a.c", 1, &empty, true);
  ASSERT_TRUE(on.comment.has_value());
  EXPECT_EQ(*on.comment, "");
  EXPECT_EQ(*table.createFuncRecord("f", "a.c", 1, &text, true).comment, "entry point");
  EXPECT_FALSE(table.createFuncRecord("f", "a.c", 1, &text, false).comment.has_value());
  EXPECT_FALSE(table.createFuncRecord("f", "a.c", 1, nullptr, true).comment.has_value());
}

TEST(FunctionTableTest, EmptyTableAcceptsEveryOperation) {
  FunctionTable table;
  FuncRecord* chosen = reinterpret_cast<FuncRecord*>(1);
  EXPECT_EQ(table.resolveCallee("main", "a.c", chosen), 0);
  EXPECT_EQ(chosen, nullptr);
  table.markCalled();
  table.clearExpanded();
  table.pruneUndefinedCallees();
  table.freeFunctionTable();
  EXPECT_TRUE(table.records().empty());
}

// Resolution as C links: records with linkage, and the candidates of a call.

// A definition of the C scan: `isStatic`, and a macro when `macro`.
FuncRecord& linked(FunctionTable& table, std::string_view name, std::string_view file,
                   bool isStatic = false, bool macro = false) {
  table.setResolution(Resolution::Linkage);
  FuncRecord& record = define(table, name, file);
  record.isStatic = isStatic;
  record.kind = macro ? DefinitionKind::Macro : DefinitionKind::Function;
  return record;
}

// The candidates of a call of `callee` from the record at `caller`: their files,
// "#" before a macro's, joined by blanks ("" for none).
std::string resolved(FunctionTable& table, std::string_view callee, std::uint32_t caller) {
  const FuncRecord& from = table.records()[caller];
  const std::uint32_t id = table.findName(callee);
  if (id == SymbolTable::kNone) return "";
  FuncRecord* first = nullptr;
  const int count = table.resolveCallee(id, from, first);
  const std::vector<std::uint32_t> all = table.candidates(id, from);
  EXPECT_EQ(count, static_cast<int>(all.size())) << callee;
  EXPECT_EQ(first, all.empty() ? nullptr : &table.records()[all[0]]) << callee;
  std::string files;
  for (std::uint32_t r : all) {
    if (!files.empty()) files += ' ';
    if (table.records()[r].kind == DefinitionKind::Macro) files += '#';
    files += table.records()[r].filename;
  }
  return files;
}

TEST(FunctionTableLinkageTest, OwnFileFirstElseEveryOtherFile) {
  FunctionTable table;
  const std::uint32_t inA = linked(table, "main", "a.c").index;
  linked(table, "f", "b.c");
  linked(table, "f", "a.c");
  linked(table, "f", "c.c");
  const std::uint32_t inD = linked(table, "g", "d.c").index;
  EXPECT_EQ(resolved(table, "f", inA), "a.c");
  EXPECT_EQ(resolved(table, "f", inD), "b.c a.c c.c");  // several stay several
  EXPECT_EQ(resolved(table, "nowhere", inD), "");
}

TEST(FunctionTableLinkageTest, AStaticOfACFileIsSeenFromItsFileOnly) {
  FunctionTable table;
  const std::uint32_t inA = linked(table, "main", "a.c").index;
  const std::uint32_t inB = linked(table, "g", "b.c").index;
  linked(table, "f", "a.c", true);
  EXPECT_EQ(resolved(table, "f", inA), "a.c");
  EXPECT_EQ(resolved(table, "f", inB), "");
  // Beside it, the single function not static is the one every other file calls.
  linked(table, "f", "c.c");
  linked(table, "f", "d.c", true);
  EXPECT_EQ(resolved(table, "f", inB), "c.c");
  EXPECT_EQ(resolved(table, "f", inA), "a.c");
}

TEST(FunctionTableLinkageTest, AStaticOfAHeaderIsSeenEverywhere) {
  FunctionTable table;
  const std::uint32_t inA = linked(table, "main", "a.c").index;
  linked(table, "inl", "x.h", true);
  EXPECT_EQ(resolved(table, "inl", inA), "x.h");
  linked(table, "inl", "y.h", true);
  EXPECT_EQ(resolved(table, "inl", inA), "x.h y.h");
}

TEST(FunctionTableLinkageTest, FunctionsComeBeforeMacros) {
  FunctionTable table;
  const std::uint32_t inA = linked(table, "main", "a.c").index;
  linked(table, "f", "x.h", false, true);
  EXPECT_EQ(resolved(table, "f", inA), "#x.h");
  linked(table, "f", "b.c");
  EXPECT_EQ(resolved(table, "f", inA), "b.c");
  const std::uint32_t inX = linked(table, "g", "x.h").index;
  EXPECT_EQ(resolved(table, "f", inX), "#x.h");  // its own file's macro first
  // A macro of a .c file is seen there only.
  linked(table, "m", "c.c", false, true);
  const std::uint32_t inC = linked(table, "h", "c.c").index;
  EXPECT_EQ(resolved(table, "m", inC), "#c.c");
  EXPECT_EQ(resolved(table, "m", inA), "");
}

TEST(FunctionTableLinkageTest, AMacrosOwnNameInsideItIsNoCallOfItself) {
  FunctionTable table;
  const std::uint32_t macro = linked(table, "f", "x.h", false, true).index;
  const std::uint32_t inA = linked(table, "main", "a.c").index;
  EXPECT_EQ(resolved(table, "f", macro), "");
  EXPECT_EQ(resolved(table, "f", inA), "#x.h");
  linked(table, "f", "b.c");
  EXPECT_EQ(resolved(table, "f", macro), "b.c");
}

TEST(FunctionTableLinkageTest, ASourceThatIncludesASourceSeesItsStatics) {
  FunctionTable table;
  const std::uint32_t inA = linked(table, "main", "src/a.c").index;
  const std::uint32_t inB = linked(table, "g", "src/b.c").index;
  linked(table, "f", "src/util.c", true);
  linked(table, "h", "lib/more.c", true);
  table.addIncludedSources("src/a.c", {"util.c", "../lib/more.c", "missing.c"});
  EXPECT_EQ(resolved(table, "f", inA), "src/util.c");
  EXPECT_EQ(resolved(table, "h", inA), "lib/more.c");
  EXPECT_EQ(resolved(table, "f", inB), "");
  // An included source is compiled in its includer's unit: it sees the statics of
  // the includer and of the other sources included there.
  const std::uint32_t inUtil = linked(table, "u", "src/util.c").index;
  linked(table, "s", "src/a.c", true);
  EXPECT_EQ(resolved(table, "h", inUtil), "lib/more.c");
  EXPECT_EQ(resolved(table, "s", inUtil), "src/a.c");
  EXPECT_EQ(resolved(table, "s", inB), "");
}

TEST(FunctionTableLinkageTest, AFileOfABuildSeesTheMacrosAndSourcesOfTheHeadersItRead) {
  FunctionTable table;
  linked(table, "creat", "fcntl--.h", false, true);
  linked(table, "creat", "other.h", false, true);
  linked(table, "parse", "lib.c", true);
  // A header and its copy in the build tree, each with a static function.
  linked(table, "decref", "src/api.h", true);
  linked(table, "decref", "build/include/api.h", true);
  const std::uint32_t plain = linked(table, "main", "plain.c").index;
  const std::uint32_t safer = linked(table, "creat_safer", "creat-safer.c").index;
  const std::uint32_t uses = linked(table, "make", "make.c").index;
  const std::uint32_t test = linked(table, "check", "tests/t.c").index;
  linked(table, "run_tests", "tests/t.c", true);
  const std::uint32_t shared = linked(table, "main", "tests/common.h").index;
  table.setBuildHeaders("creat-safer.c", {"/usr/include/fcntl.h"});
  table.setBuildHeaders("make.c", {"fcntl--.h", "not-scanned.h"});
  table.setBuildHeaders("tests/t.c", {"tests/common.h", "lib.c", "build/include/api.h"});
  EXPECT_EQ(resolved(table, "creat", plain), "#fcntl--.h #other.h");  // no build: every header's
  EXPECT_EQ(resolved(table, "creat", safer), "");
  EXPECT_EQ(resolved(table, "creat", uses), "#fcntl--.h");
  // A source its headers include is of its unit: its statics answer.
  EXPECT_EQ(resolved(table, "parse", test), "lib.c");
  EXPECT_EQ(resolved(table, "parse", plain), "");
  // A header's code compiles in the files that read it: their statics answer it.
  EXPECT_EQ(resolved(table, "run_tests", shared), "tests/t.c");
  // The static functions of headers: those of the copy it read; with no header
  // holding one, its macro of that name (none here).
  EXPECT_EQ(resolved(table, "decref", plain), "src/api.h build/include/api.h");
  EXPECT_EQ(resolved(table, "decref", test), "build/include/api.h");
  EXPECT_EQ(resolved(table, "decref", uses), "");
  linked(table, "decref", "fcntl--.h", false, true);
  EXPECT_EQ(resolved(table, "decref", uses), "#fcntl--.h");
}

TEST(FunctionTableLinkageTest, ACallWhereAMacroOfTheNameStoodFindsTheMacroFirst) {
  // `#define get_u32(b) GET_U32(b)` in png.h shadows the function, even in its own file.
  FunctionTable table;
  linked(table, "get_u32", "png.h", false, true);
  const std::uint32_t own = linked(table, "read_u31", "read.c").index;
  linked(table, "get_u32", "read.c");
  const std::uint32_t other = linked(table, "check", "check.c").index;
  const std::uint32_t plain = linked(table, "plain", "plain.c").index;
  table.markMacroCall(table.records()[own], "get_u32");
  table.markMacroCall(table.records()[other], "get_u32");
  EXPECT_EQ(resolved(table, "get_u32", own), "#png.h");
  EXPECT_EQ(resolved(table, "get_u32", other), "#png.h");
  EXPECT_EQ(resolved(table, "get_u32", plain), "read.c");
  // A macro that calls the function of its name in turn leaves the call to it.
  FuncRecord& wrapper = linked(table, "getinfo", "typecheck.h", false, true);
  table.addCallee(wrapper, "getinfo_err");
  table.addCallee(wrapper, "getinfo");
  linked(table, "getinfo", "getinfo.c");
  table.markMacroCall(table.records()[other], "getinfo");
  EXPECT_EQ(resolved(table, "getinfo", other), "getinfo.c");
}

TEST(FunctionTableLinkageTest, AStaticCalledFromAnotherFileOnlyIsNotCalled) {
  FunctionTable table;
  FuncRecord& fromB = linked(table, "g", "b.c");
  table.addCallee(fromB, "f");
  linked(table, "f", "a.c", true);
  table.markCalled();
  EXPECT_FALSE(table.records()[1].called);
  FuncRecord& fromA = linked(table, "h", "a.c");
  table.addCallee(fromA, "f");
  table.markCalled();
  EXPECT_TRUE(table.records()[1].called);
  table.pruneUndefinedCallees();
  EXPECT_TRUE(callees(table, table.records()[0]).empty());
  EXPECT_EQ(callees(table, table.records()[2]), std::vector<std::string>{"f"});
}

}  // namespace
}  // namespace quenwick
