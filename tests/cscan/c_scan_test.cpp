#include "cscan/c_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

FileFacts scan(std::string_view text, std::vector<SymbolSetting> symbols = {}) {
  CScanConfig config;
  config.symbols = std::move(symbols);
  return scanCSource("t.c", text, config);
}

std::string placeText(const SourcePlace& place) {
  return std::to_string(place.line) + ":" + std::to_string(place.column);
}

// The definitions as "[static ][#]NAME@LINE:COLUMN[,LINE:COLUMN...]" joined by
// blanks; # marks a macro.
std::string definitionsOf(const FileFacts& facts) {
  std::string out;
  for (const FileDefinition& d : facts.definitions) {
    if (!out.empty()) out += ' ';
    if (d.isStatic) out += "static ";
    if (d.kind == DefinitionKind::Macro) out += '#';
    out += d.name + "@" + placeText(d.place);
    for (const SourcePlace& place : d.morePlaces) out += "," + placeText(place);
  }
  return out;
}

// The callees of `name` in call order, "*" before one called through a pointer or member.
std::string callsOf(const FileFacts& facts, std::string_view name) {
  for (const FileDefinition& d : facts.definitions) {
    if (d.name != name) continue;
    std::string out;
    for (std::uint32_t c = d.callsBegin; c < d.callsBegin + d.callsCount; ++c) {
      if (!out.empty()) out += ' ';
      if (facts.calls[c].indirect) out += '*';
      out += facts.names[facts.calls[c].name];
    }
    return out;
  }
  return "(no " + std::string(name) + ")";
}

SymbolSetting defineSymbol(std::string name, std::optional<std::string> value = {}) {
  return SymbolSetting{std::move(name), std::move(value), true};
}

TEST(CScanTest, BothHeadsOfAnUndecidedConditionalShareOneBody) {
  const FileFacts facts = scan(
      "#ifdef X\n"
      "int f(int a) {\n"
      "#else\n"
      "int f(void) {\n"
      "#endif\n"
      "  return g();\n"
      "}\n"
      "int h(void) { return 0; }\n");
  EXPECT_EQ(definitionsOf(facts), "f@2:5,4:5 h@8:5");
  EXPECT_EQ(callsOf(facts, "f"), "g");
  EXPECT_EQ(facts.definitions[0].end, (SourcePlace{7, 1}));
  EXPECT_TRUE(facts.balanced());
  EXPECT_EQ(facts.undecidedCount(), 1u);
}

TEST(CScanTest, ADecidedConditionalScansOneBranch) {
  const char* text =
      "#ifdef X\n"
      "int f(int a) { return a; }\n"
      "#else\n"
      "int g(void) { return 0; }\n"
      "#endif\n";
  EXPECT_EQ(definitionsOf(scan(text, {defineSymbol("X")})), "f@2:5");
  EXPECT_EQ(definitionsOf(scan(text, {SymbolSetting{"X", {}, false}})), "g@4:5");
  EXPECT_EQ(definitionsOf(scan(text, {defineSymbol("X"), SymbolSetting{"X", {}, false}})), "g@4:5");
  EXPECT_EQ(scan(text, {defineSymbol("X")}).undecidedCount(), 0u);
  const char* valued =
      "#if V > 1\n"
      "int big(void) { return 0; }\n"
      "#endif\n";
  EXPECT_EQ(definitionsOf(scan(valued, {defineSymbol("V", "2")})), "big@2:5");
  EXPECT_EQ(definitionsOf(scan(valued, {defineSymbol("V")})), "");
}

TEST(CScanTest, AfterAnUndecidedBranchOnlyTheBranchesThatMayBeCompiledAreScanned) {
  const FileFacts facts = scan(
      "#if CONFIG_A\n"
      "int a(void) { return 0; }\n"
      "#elif 1\n"
      "int b(void) { return 0; }\n"
      "#else\n"
      "int c(void) { return 0; }\n"
      "#endif\n"
      "#if 1\n"
      "int d(void) { return 0; }\n"
      "#elif CONFIG_B\n"
      "int e(void) { return 0; }\n"
      "#endif\n");
  EXPECT_EQ(definitionsOf(facts), "a@2:5 b@4:5 d@9:5");
  EXPECT_EQ(facts.undecidedCount(), 1u);
}

TEST(CScanTest, ExternCUnderCplusplusKeepsTheFileLevel) {
  const FileFacts facts = scan(
      "#ifdef __cplusplus\n"
      "extern \"C\" {\n"
      "#endif\n"
      "int f(void) { return g(); }\n"
      "#ifdef __cplusplus\n"
      "}\n"
      "#endif\n"
      "int h(void) { return f(); }\n");
  EXPECT_EQ(definitionsOf(facts), "f@4:5 h@8:5");
  EXPECT_EQ(callsOf(facts, "h"), "f");
  EXPECT_TRUE(facts.balanced());
}

TEST(CScanTest, TextUnderIfZeroIsNotRead) {
  const FileFacts facts = scan(
      "#if 0\n"
      "This isn't code, don't read it {\n"
      "#else\n"
      "int f(void) { return g(); }\n"
      "#endif\n"
      "int h(void) { return 0; }\n");
  EXPECT_EQ(definitionsOf(facts), "f@4:5 h@6:5");
  EXPECT_EQ(callsOf(facts, "f"), "g");
  EXPECT_TRUE(facts.balanced());
  EXPECT_TRUE(facts.problems.empty());
}

TEST(CScanTest, ADefineInAnUndecidedBranchLeavesItsSymbolUndecided) {
  const char* later =
      "#ifdef B\n"
      "int f(void) { return 1; }\n"
      "#else\n"
      "int g(void) { return 2; }\n"
      "#endif\n";
  const FileFacts defined = scan("#ifdef CONFIG_A\n#define B 1\n#endif\n" + std::string(later));
  EXPECT_EQ(definitionsOf(defined), "f@5:5 g@7:5");
  EXPECT_EQ(defined.undecidedCount(), 2u);
  const FileFacts undefined =
      scan("#define B 1\n#ifdef CONFIG_A\n#undef B\n#endif\n" + std::string(later));
  EXPECT_EQ(definitionsOf(undefined), "f@6:5 g@8:5");
  // Decided, the same define counts.
  const FileFacts decided = scan("#define A\n#ifdef A\n#define B 1\n#endif\n" + std::string(later));
  EXPECT_EQ(definitionsOf(decided), "f@6:5");
  EXPECT_EQ(decided.undecidedCount(), 0u);
  // In a dead branch it does not count.
  const FileFacts dead = scan("#undef B\n#if 0\n#define B 1\n#endif\n" + std::string(later));
  EXPECT_EQ(definitionsOf(dead), "g@8:5");
}

TEST(CScanTest, CallsThroughPointersAndMembersAreIndirect) {
  const FileFacts facts = scan(
      "struct ops { int (*run)(int); };\n"
      "int run(int x) { return x; }\n"
      "int f(struct ops *p, struct ops s, int (*cb)(int)) {\n"
      "  int (*fp)(int) = get();\n"
      "  p->run(1);\n"
      "  s.run(2);\n"
      "  (*cb)(3);\n"
      "  cb(4);\n"
      "  fp(5);\n"
      "  (*p->run)(6);\n"
      "  return run(7);\n"
      "}\n"
      "int dma_supported(struct dev *d) { return d->ops->dma_supported(d); }\n");
  EXPECT_EQ(callsOf(facts, "f"), "get *run *run *cb *cb *fp *run run");
  EXPECT_EQ(callsOf(facts, "dma_supported"), "*dma_supported");
}

TEST(CScanTest, OldStyleDefinitionsOfAnyNumberOfParameters) {
  const FileFacts facts = scan(
      "uLong bound(len)\n    uLong len;\n{\n  return len + 13;\n}\n"
      "static int two(a, b) int a; char *b; { return bound(a); }\n"
      "int sort(base, cmp)\n  char *base;\n  int (*cmp)();\n{\n  return cmp(base) + two(1, base);\n}\n"
      "EXPORT(bound);\n"
      "int last(s) char *s; { return 0; }\n");
  EXPECT_EQ(definitionsOf(facts), "bound@1:7 static two@6:12 sort@7:5 last@14:5");
  EXPECT_EQ(callsOf(facts, "two"), "bound");
  EXPECT_EQ(callsOf(facts, "sort"), "*cmp two");
}

TEST(CScanTest, AMacroThatSaysStaticMakesADefinitionStatic) {
  const FileFacts facts = scan(
      "#define INLINE_KEYWORD inline\n#define MEM_STATIC static INLINE_KEYWORD\n"
      "#define TEMPLATE MEM_STATIC __attribute__((always_inline))\n#define EXPORTED __attribute__((used))\n"
      "#define LOOP LOOP\n"
      "MEM_STATIC unsigned count(unsigned v) { return v; }\n"
      "TEMPLATE size_t body(int n) { return n; }\n"
      "EXPORTED LOOP int shown(void) { return 0; }\n"
      "MEM_STATIC int old(a) int a; { return a; }\n");
  EXPECT_EQ(definitionsOf(facts), "static count@6:21 static body@7:17 shown@8:19 static old@9:16");
}

TEST(CScanTest, DeclarationsInABodyAreNoCalls) {
  const FileFacts facts = scan(
      "int f(void) {\n"
      "  int helper(int);\n"
      "  extern void other(void);\n"
      "  static int tally(int), count = start(0);\n"
      "  handler_t (*h)(int) = 0;\n"
      "  void (*table[2])(void);\n"
      "  int y = g(2), z = k(3);\n"
      "  (void)use(y);\n"
      "  h(1);\n"
      "  return helper(1) + sizeof(int) + (char)y + (z);\n"
      "}\n");
  EXPECT_EQ(callsOf(facts, "f"), "start g k use *h helper");
}

TEST(CScanTest, CastsDeclarationsInGroupsAndUnevaluatedOperandsAreNoCalls) {
  const FileFacts facts = scan(
      "int (*t[2])(int);\n"
      "int f(int z, int i) {\n"
      "  for (int (*q)(int) = pick(); q; ) q(6);\n"
      "  return (int)(z) + (unsigned long)(z) + (done)(z) + t[i](i) + sizeof(h(1));\n"
      "}\n"
      "int apply(f, x)\n"
      "int (*f)();\n"
      "int x;\n"
      "{ return f(x); }\n");
  EXPECT_EQ(callsOf(facts, "f"), "pick *q done *t");
  EXPECT_EQ(callsOf(facts, "apply"), "*f");
}

TEST(CScanTest, ArgumentsAMacroNeverEvaluatesMakeNoCalls) {
  // Unused, under sizeof, made a string, or dropped by a macro it calls in turn;
  // a macro that also evaluates the argument keeps its calls.
  const FileFacts facts = scan(
      "#define testcase(x)\n"
      "#define NIL(c) do { (void)sizeof(!(c)); } while (0)\n"
      "#define ASSERT(c) NIL(c)\n"
      "#define NAME(c) #c\n"
      "#define CHECK(c) if (!(c)) fail(#c, sizeof(c))\n"
      "#define FORWARD(e) do { if (is_err(e)) ASSERT(name_of(e)); } while (0)\n"
      "#define LOG(l, ...) {}\n#define TRACE(fmt, args...) trace(fmt, args)\n"
      "int f(int x) {\n"
      "  testcase(one(x)); ASSERT(two(x)); puts(NAME(three(x))); CHECK(four(x));\n"
      "  return 0;\n"
      "}\n"
      "#undef testcase\n#define testcase(x) (x)\n"
      "int g(int x) { testcase(five(x)); return 0; }\n"
      "void h(int x) { LOG(1, \"%d %d\", six(x), seven(x)); TRACE(\"%d %d\", eight(x), nine(x)); }\n");
  EXPECT_EQ(callsOf(facts, "f"), "testcase ASSERT puts NAME CHECK four");
  EXPECT_EQ(callsOf(facts, "FORWARD"), "is_err ASSERT");  // in a replacement too
  EXPECT_EQ(callsOf(facts, "g"), "testcase five");  // as defined again
  // Every argument a dropped variadic parameter takes; GNU's named one is a parameter.
  EXPECT_EQ(callsOf(facts, "h"), "LOG TRACE eight nine");
}

TEST(CScanTest, AttributesInAMacroBodyAreNoCalls) {
  const FileFacts facts = scan(
      "#define PRINTF(a, b) __attribute__((format(printf, a, b)))\n"
      "#define LOG(x) __attribute__((aligned(8))) log_it(x)\n");
  EXPECT_EQ(callsOf(facts, "PRINTF"), "");
  EXPECT_EQ(callsOf(facts, "LOG"), "log_it");
}

TEST(CScanTest, HeadsOfSeveralBranchesBeforeOneBodyKeepTheirOrder) {
  const FileFacts facts = scan(
      "static int\n"
      "#ifdef CONFIG_A\n"
      "with_a(void)\n"
      "#else\n"
      "without_a(void)\n"
      "#endif\n"
      "{ return go(); }\n");
  EXPECT_EQ(definitionsOf(facts), "static with_a@3:1 static without_a@5:1");
  EXPECT_EQ(callsOf(facts, "with_a"), "go");
  EXPECT_EQ(callsOf(facts, "without_a"), "go");
}

TEST(CScanTest, AnUnclosedCommentOrLiteralKeepsTheFileFromBalancing) {
  EXPECT_FALSE(scan("int f(void) { return 0; }\n/* never closed\nint g(void) { }\n").balanced());
  EXPECT_FALSE(scan("char *s = \"abc;\nint g(void) { return 1; }\n").balanced());
  EXPECT_TRUE(scan("int f(void) { return 0; } /* closed */\n").balanced());
}

TEST(CScanTest, KeywordsWithParenthesesAreNeitherCallsNorDefinitions) {
  const FileFacts facts = scan(
      "int f(int x) {\n"
      "  if (x) a();\n"
      "  while (b()) {}\n"
      "  for (;;) break;\n"
      "  switch (x) { default: break; }\n"
      "  _Static_assert(1, \"x\");\n"
      "  __asm__ volatile (\"nop\");\n"
      "  return (x) + _Alignof(int) + sizeof (x) + _Generic(x, int: 1);\n"
      "}\n"
      "if (x) { c(); }\n");
  EXPECT_EQ(definitionsOf(facts), "f@1:5");
  EXPECT_EQ(callsOf(facts, "f"), "a b");
}

TEST(CScanTest, FunctionLikeMacrosAreDefinitionsWithTheCallsOfTheirBody) {
  const FileFacts facts = scan(
      "#define pop(L,n) settop(L, -(n)-1)\n"
      "#define CHECK(x) do { \\\n"
      "    if (!(x)) fail(#x); \\\n"
      "  } while (0)\n"
      "#define ENTRY(nm) { #nm, nm##_fn(), {0} }\n"
      "#define LIMIT (10)\n"
      "#define open open64\n"
      "int f(int L) { CHECK(L); pop(L, 1); return LIMIT; }\n");
  EXPECT_EQ(definitionsOf(facts), "#pop@1:9 #CHECK@2:9 #ENTRY@5:9 #open@7:9 f@8:5");
  EXPECT_EQ(callsOf(facts, "pop"), "settop");
  EXPECT_EQ(callsOf(facts, "CHECK"), "fail");
  EXPECT_EQ(callsOf(facts, "ENTRY"), "");
  EXPECT_EQ(callsOf(facts, "open"), "open64");
  EXPECT_EQ(callsOf(facts, "f"), "CHECK pop");
  EXPECT_EQ(facts.definitions[1].end.line, 4u);
  EXPECT_TRUE(facts.balanced());
}

TEST(CScanTest, AFileLevelMacroCallMakesTheDefinitionsOfItsExpansion) {
  const FileFacts facts = scan(
      "#define SET(f) void set_##f(int v) { g(v); }\n"
      "SET(size);\n"
      "int h(void) { set_size(1); return 0; }\n");
  EXPECT_EQ(definitionsOf(facts), "#SET@1:9 set_size@2:1 h@3:5");
  EXPECT_EQ(callsOf(facts, "set_size"), "g");
  EXPECT_EQ(callsOf(facts, "h"), "set_size");
  // Through macros that call it for each of a list; a call that makes no body is
  // part of the declaration after it.
  const FileFacts listed = scan(
      "#define GEN(mode, n) static int find_##mode##_##n(int x) { return probe(x, n); }\n"
      "#define EACH_N(X, mode) X(mode, 4) X(mode, 5)\n"
      "#define EACH_MODE(X, ...) X(__VA_ARGS__, plain) X(__VA_ARGS__, dict)\n"
      "#define ATTRS(x) __attribute__((x))\n"
      "EACH_MODE(EACH_N, GEN)\n"
      "ATTRS(cold) int later(void) { return 0; }\n");
  EXPECT_EQ(definitionsOf(listed), "#GEN@1:9 #EACH_N@2:9 #EACH_MODE@3:9 #ATTRS@4:9 static find_plain_4@5:1 "
                                   "static find_plain_5@5:1 static find_dict_4@5:1 static find_dict_5@5:1 later@6:17");
  EXPECT_EQ(callsOf(listed, "find_dict_5"), "probe");
}

TEST(CScanTest, LineDirectivesNumberTheFileForAGraphNotForAnEditor) {
  // Generated sources number themselves, and the grammar they come from, whose
  // lines stay as they are; a line directive without a file keeps the last one.
  const std::string text =
      "int a(void) { return 0; }\n"
      "#line 100\n"
      "int b(void) { return c(); }\n"
      "#line 7 \"../grammar.y\"\n"
      "int d(void) { return 0; }\n"
      "#line 9\n"
      "int e(void) { return 0; }\n"
      "#line 50 \"gen/t.c\"\n"
      "int f(void) {\n"
      "}\n"
      "# 200 \"t.c\" 2\n"
      "#line \\\n 300\n"
      "int g(void) { return 0; }\n";
  CScanConfig config;
  config.presumedLines = true;
  const FileFacts graph = scanCSource("src/t.c", text, config);
  EXPECT_EQ(definitionsOf(graph), "a@1:5 b@100:5 d@5:5 e@7:5 f@50:5 g@300:5");
  EXPECT_EQ(graph.calls.at(0).place.line, 100u);
  EXPECT_EQ(graph.definitions.at(4).end.line, 51u);
  EXPECT_EQ(definitionsOf(scan(text)), "a@1:5 b@3:5 d@5:5 e@7:5 f@9:5 g@14:5");
}

TEST(CScanTest, ACaptionGoesToTheNextDefinitionFromOutsideBodies) {
  CScanConfig config;
  config.captionKeyword = "@brief";
  const FileFacts facts = scanCSource("t.c",
                                      "// @brief first\n"
                                      "int f(void) {\n"
                                      "  // @brief inside\n"
                                      "  return 0;\n"
                                      "}\n"
                                      "int g(void) { return 0; }\n",
                                      config);
  ASSERT_EQ(facts.definitions.size(), 2u);
  EXPECT_EQ(facts.definitions[0].caption, "first");
  EXPECT_EQ(facts.definitions[1].caption, "");
  config.captions = false;
  EXPECT_EQ(scanCSource("t.c", "// @brief x\nint f(void) {}\n", config).definitions[0].caption,
            std::nullopt);
}

TEST(CScanTest, ProblemsHaveTheirPlaces) {
  const FileFacts facts = scan("int f(void) {\n}\n}\n#endif\n#if X\n");
  ASSERT_EQ(facts.problems.size(), 4u);
  EXPECT_EQ(facts.problems[0].kind, ScanProblem::ExcessBrace);
  EXPECT_EQ(facts.problems[0].place, (SourcePlace{3, 1}));
  EXPECT_EQ(facts.problems[1].kind, ScanProblem::ExcessCondition);
  EXPECT_EQ(facts.problems[1].place, (SourcePlace{4, 1}));
  EXPECT_EQ(facts.problems[2].kind, ScanProblem::Undecided);
  EXPECT_EQ(facts.problems[3].kind, ScanProblem::UnclosedCondition);
  EXPECT_EQ(facts.problems[3].place, (SourcePlace{5, 1}));
  EXPECT_FALSE(facts.balanced());
}

TEST(CScanTest, BytesWithANulAreNoText) {
  const FileFacts facts = scan(std::string_view("int f(void) { return 0; }\n\0", 27));
  EXPECT_FALSE(facts.isText);
  EXPECT_TRUE(facts.definitions.empty());
}

}  // namespace
}  // namespace quenwick
