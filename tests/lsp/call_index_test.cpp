#include "lsp/call_index.h"

#include <gtest/gtest.h>

#include <memory>

namespace quenwick {
namespace {

/// Facts made by hand: a definition with its call sites.
struct Def {
  const char* name;
  std::uint32_t line;
  std::vector<std::pair<const char*, std::uint32_t>> calls;  // callee, line (column 3)
  bool isStatic = false;
  DefinitionKind kind = DefinitionKind::Function;
};

std::unique_ptr<SourceFile> fileOf(const std::string& path, const std::vector<Def>& defs) {
  auto file = std::make_unique<SourceFile>();
  file->path = path;
  FileFacts& facts = file->facts;
  facts.path = path;
  for (const Def& def : defs) {
    FileDefinition definition;
    definition.name = def.name;
    definition.place = {def.line, 5};
    definition.start = {def.line, 1};
    definition.end = {def.line + 9, 1};
    definition.isStatic = def.isStatic;
    definition.kind = def.kind;
    definition.callsBegin = static_cast<std::uint32_t>(facts.calls.size());
    for (const auto& [callee, line] : def.calls) {
      auto known = std::find(facts.names.begin(), facts.names.end(), callee);
      if (known == facts.names.end()) known = facts.names.insert(facts.names.end(), callee);
      const auto index = static_cast<std::uint32_t>(known - facts.names.begin());
      facts.calls.push_back(CallSite{index, SourcePlace{line, 3}, false});
    }
    definition.callsCount = static_cast<std::uint32_t>(facts.calls.size()) - definition.callsBegin;
    facts.definitions.push_back(definition);
  }
  return file;
}

class CallIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a = fileOf("a.c", {{"helper", 1, {}, true}, {"main", 20, {{"helper", 21}, {"twice", 22},
                                                             {"SQUARE", 23}, {"undefined", 24},
                                                             {"helper", 25}}}});
    b = fileOf("b.c", {{"helper", 1, {}, true}, {"api", 20, {{"helper", 21}}}});
    h = fileOf("h.h", {{"twice", 1, {}, true}, {"SQUARE", 20, {{"mul", 20}}, false,
                                                  DefinitionKind::Macro}});
    m = fileOf("m.c", {{"mul", 1, {}}});
    index.rebuild({a.get(), b.get(), h.get(), m.get()}, lists);
  }
  std::uint32_t record(const SourceFile& file, std::uint32_t position) {
    return index.recordsOf(file)[position];
  }

  NameLists lists;
  std::unique_ptr<SourceFile> a, b, h, m;
  CallIndex index;
};

TEST_F(CallIndexTest, CallersKeepStaticNamesakesApart) {
  const std::uint32_t mineHelper = record(*a, 0), theirHelper = record(*b, 0);
  EXPECT_EQ(std::vector<std::uint32_t>(index.graph().callers(mineHelper).begin(),
                                       index.graph().callers(mineHelper).end()),
            std::vector<std::uint32_t>{record(*a, 1)});
  EXPECT_EQ(std::vector<std::uint32_t>(index.graph().callers(theirHelper).begin(),
                                       index.graph().callers(theirHelper).end()),
            std::vector<std::uint32_t>{record(*b, 1)});
  // A static function of a header is seen everywhere; a macro is called like any other.
  EXPECT_EQ(index.graph().callers(record(*h, 0)).size(), 1u);
  EXPECT_EQ(index.graph().callers(record(*m, 0)).front(), record(*h, 1));
  const auto sites = index.sitesCalling(record(*a, 1), index.table().findName("helper"));
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[1], (SourcePlace{25, 3}));
  EXPECT_EQ(index.siteCount(), 7u);
  EXPECT_EQ(&index.fileOf(record(*h, 1)), h.get());
  EXPECT_EQ(index.definitionOf(record(*h, 1)).kind, DefinitionKind::Macro);
}

TEST_F(CallIndexTest, LocateAndTargets) {
  // The name of a definition.
  NameAt at = index.locate(*b, "helper", 1, 5);
  EXPECT_EQ(at.definition, record(*b, 0));
  EXPECT_EQ(index.targets(*b, at), std::vector<std::uint32_t>{record(*b, 0)});
  // A call: its candidates as C links them.
  at = index.locate(*a, "helper", 21, 3);
  EXPECT_EQ(at.caller, record(*a, 1));
  EXPECT_FALSE(at.indirect);
  EXPECT_EQ(index.targets(*a, at), std::vector<std::uint32_t>{record(*a, 0)});
  // Elsewhere (a comment, a prototype): every definition, this file's first.
  at = index.locate(*b, "helper", 50, 1);
  EXPECT_EQ(at.caller, UINT32_MAX);
  EXPECT_EQ(index.targets(*b, at), (std::vector<std::uint32_t>{record(*b, 0), record(*a, 0)}));
  // A name defined nowhere has no target, but its sites are found.
  at = index.locate(*a, "undefined", 24, 3);
  EXPECT_TRUE(index.targets(*a, at).empty());
  EXPECT_EQ(index.allSitesOf("undefined").size(), 1u);
}

TEST_F(CallIndexTest, PlacesComeFromTheFactsAndOnlyShapeNeedsARebuild) {
  // Moved: the same names and calls, two lines down. The index stays and reads the
  // new places.
  auto moved = fileOf("b.c", {{"helper", 3, {}, true}, {"api", 22, {{"helper", 23}}}});
  EXPECT_TRUE(sameShape(b->facts, moved->facts));
  b->facts = moved->facts;
  EXPECT_EQ(index.sitesCalling(record(*b, 1), index.table().findName("helper")),
            std::vector<SourcePlace>{(SourcePlace{23, 3})});
  EXPECT_EQ(index.locate(*b, "helper", 3, 5).definition, record(*b, 0));
  // Another callee, another linkage, another name, one call more: another shape.
  EXPECT_FALSE(sameShape(b->facts, fileOf("b.c", {{"helper", 1, {}, true}, {"api", 20, {{"mul", 21}}}})->facts));
  EXPECT_FALSE(sameShape(b->facts, fileOf("b.c", {{"helper", 1, {}}, {"api", 20, {{"helper", 21}}}})->facts));
  EXPECT_FALSE(sameShape(b->facts, fileOf("b.c", {{"helpers", 1, {}, true}, {"api", 20, {{"helper", 21}}}})->facts));
  EXPECT_FALSE(sameShape(b->facts, fileOf("b.c", {{"helper", 1, {}, true},
                                                  {"api", 20, {{"helper", 21}, {"helper", 22}}}})->facts));
}

TEST_F(CallIndexTest, ARebuildTakesTheNewFacts) {
  m = fileOf("m.c", {{"mul", 1, {}}, {"extra", 30, {{"mul", 31}, {"twice", 32}}}});
  index.rebuild({a.get(), b.get(), h.get(), m.get()}, lists);
  EXPECT_EQ(index.graph().callers(record(*m, 0)).size(), 2u);
  EXPECT_EQ(index.graph().callers(record(*h, 0)).size(), 2u);
  // Names of the tables never become callees.
  lists.excludeList.appendName("twice");
  index.rebuild({a.get(), b.get(), h.get(), m.get()}, lists);
  EXPECT_EQ(index.graph().callers(record(*h, 0)).size(), 0u);
}

}  // namespace
}  // namespace quenwick
