#include "graph/html_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "captured_fd.h"
#include "config/texts.h"
#include "graph/query.h"

namespace quenwick {
namespace {

// The numbers of a text written by appendPageNumber, read as the page reads them.
std::vector<std::uint64_t> readNumbers(const std::string& text) {
  const std::string last = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  const std::string more = "WXYZabcdefghijklmnopqrstuvwxyz-_";
  std::vector<std::uint64_t> numbers;
  std::uint64_t value = 0;
  for (char c : text) {
    if (more.find(c) != std::string::npos) {
      value = value * 32 + more.find(c);
    } else {
      EXPECT_NE(last.find(c), std::string::npos) << "not a digit: " << c;
      numbers.push_back(value * 32 + last.find(c));
      value = 0;
    }
  }
  EXPECT_EQ(value, 0u) << "a number without its last digit";
  return numbers;
}

TEST(PageNumbers, TheLastDigitEndsEachNumber) {
  std::string text;
  for (std::uint64_t value : {0ull, 31ull, 32ull, 1023ull, 1024ull}) appendPageNumber(value, text);
  EXPECT_EQ(text, "0VX0_VXW0");
  std::mt19937_64 random(14);
  std::vector<std::uint64_t> values;
  text.clear();
  for (int i = 0; i < 1000; ++i) {
    values.push_back(random() >> (random() % 64));
    appendPageNumber(values.back(), text);
  }
  EXPECT_EQ(readNumbers(text), values);
}

// The text of a JSON string field of the data block, as written (escapes kept).
std::string field(const std::string& data, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const std::size_t start = data.find(key);
  if (start == std::string::npos) return "(missing)";
  const std::size_t from = start + key.size();
  return data.substr(from, data.find('"', from) - from);
}

class HtmlWriterTest : public ::testing::Test {
 protected:
  FuncRecord& define(std::string_view name, std::string_view file, int line,
                     const std::string& caption = "") {
    return table_.appendFuncRecord(table_.createFuncRecord(name, file, line, &caption, true));
  }

  // The page of the table with nothing asked: the whole graph.
  std::string page(std::optional<std::string> link = std::nullopt) {
    CallGraph graph(table_);
    GraphOptions options;
    options.link = link;
    Query query(options, graph);
    Selection selection = query.selection();
    Utf8Converter utf8(false);
    GraphView view{graph, selection, options, utf8};
    Settings settings;
    Options flags;
    NameList leaves;
    std::vector<std::uint32_t> callerRoots;
    CapturedFd captured;
    {
      OutStream out(captured.fd());
      writeHtml(view, PageInput{settings, flags, leaves, callerRoots}, out);
      out.flush();
    }
    return captured.contents();
  }

  // The texts of the data element (or of another element of JSON, by its id) and
  // of the elements that continue it, in order.
  static std::vector<std::string> pieces(const std::string& html,
                                         const std::string& id = "graph-data") {
    std::vector<std::string> found;
    std::string open = "<script type=\"application/json\" id=\"" + id + "\">";
    for (std::size_t start = html.find(open); start != std::string::npos;
         start = html.find(open, start)) {
      const std::size_t end = html.find("</script>", start);
      found.push_back(html.substr(start + open.size(), end - start - open.size()));
      start = end;
      open = "<script type=\"application/json\" class=\"" + id + "\">";
    }
    return found;
  }

  // The inside of the data element (or of another, by its id), its pieces joined.
  static std::string data(const std::string& html, const std::string& id = "graph-data") {
    std::string whole;
    for (const std::string& piece : pieces(html, id)) whole += piece;
    return whole;
  }

  FunctionTable table_;
};

TEST_F(HtmlWriterTest, SourceTextsCannotEndTheDataOrStartMarkup) {
  define("main", "</script><!--a.c", 3,
         "</script><script>alert(1)</script> <img src=x onerror=alert(1)> &amp; \xE2\x80\xA8");
  const std::string html = page();
  const std::string inside = data(html);
  ASSERT_NE(inside, "");
  for (const char* forbidden : {"<", ">", "&", "\xE2\x80\xA8"}) {
    EXPECT_EQ(inside.find(forbidden), std::string::npos) << forbidden;
  }
  EXPECT_NE(inside.find("\\u003c/script\\u003e\\u003c!--a.c"), std::string::npos);
  // The data is ASCII: every other character is an escape.
  EXPECT_EQ(std::count_if(inside.begin(), inside.end(), [](char c) { return c < 0 || c > 126; }), 0);
  EXPECT_NE(inside.find("\\u2028"), std::string::npos);
  // Every style sheet and script is inlined: the page names no other file.
  EXPECT_EQ(html.find("<script src="), std::string::npos);
  EXPECT_EQ(html.find("<link rel=\"stylesheet\""), std::string::npos);
  std::size_t opened = 0, closed = 0;
  for (std::size_t at = 0; (at = html.find("<script", at)) != std::string::npos; ++at) ++opened;
  for (std::size_t at = 0; (at = html.find("</script>", at)) != std::string::npos; ++at) ++closed;
  EXPECT_EQ(opened, closed);
  EXPECT_EQ(html.rfind("</html>\n"), html.size() - 8);
}

TEST_F(HtmlWriterTest, LongDataComesInPiecesThatJoinUp) {
  char name[40];
  for (int i = 0; i < 30000; ++i) {
    std::snprintf(name, sizeof name, "a_function_with_a_long_name_%05d", i);
    define(name, "m.c", i + 1);
  }
  const std::string html = page();
  const std::vector<std::string> parts = pieces(html);
  ASSERT_GE(parts.size(), 4u);
  for (const std::string& part : parts) EXPECT_LE(part.size(), 256u * 1024);
  const std::string names = field(data(html), "names");
  // 33 bytes a name, and "\n" (2) between two.
  EXPECT_EQ(names.size(), 30000u * 35 - 2);
  EXPECT_EQ(names.substr(0, 35), "a_function_with_a_long_name_00000\\n");
  EXPECT_EQ(names.substr(names.size() - 33), "a_function_with_a_long_name_29999");
  EXPECT_EQ(pieces(html, "graph-sites").size(), 1u);
}

TEST_F(HtmlWriterTest, CallsKeepTheirOrderAndKind) {
  FuncRecord& main = define("main", "m.c", 5);
  define("a", "m.c", 20);
  define("d", "p.c", 1);
  define("d", "q.c", 7);
  for (const char* callee : {"a", "x", "d"}) table_.addCallee(main, callee);
  const std::string inside = data(page());
  // main: three calls, a one on (2 * 2), x without definition (4 * 0 + 1), d with
  // two (4 * 1 + 3); the other records call nothing.
  EXPECT_EQ(field(inside, "calls"), "3417000");
  EXPECT_EQ(field(inside, "otherNames"), "x\\nd");
  EXPECT_EQ(field(inside, "names"), "main\\na\\nd\\nd");
  EXPECT_EQ(field(inside, "fileRuns"), "021121");
  // Lines as differences from the line before: 5, 15, -19, 6.
  EXPECT_EQ(readNumbers(field(inside, "lines")), (std::vector<std::uint64_t>{10, 30, 37, 12}));
  EXPECT_EQ(field(inside, "roots"), "0");
  // The two records of d as 2, +1.
  EXPECT_EQ(readNumbers(field(inside, "repeated")), (std::vector<std::uint64_t>{2, 1}));
}

TEST_F(HtmlWriterTest, CallSitesFollowTheCallsTheyBelongTo) {
  FuncRecord& main = define("main", "m.c", 5);
  define("a", "m.c", 20);
  define("d", "p.c", 1);
  for (const char* callee : {"a", "x", "d"}) table_.addCallee(main, callee);
  // In source order, with a call through a pointer that is no call of a name.
  table_.addSite(main, "a", {7, 5}, false);
  table_.addSite(main, "x", {8, 3}, false);
  table_.addSite(main, "d", {9, 2}, false);
  table_.addSite(main, "ops", {10, 4}, true);
  table_.addSite(main, "a", {12, 9}, false);
  const std::string html = page();
  const std::string inside = data(html, "graph-sites");
  // main: 4 places; a twice (lines 5+2, 7+5), x once (5+3), d once (5+4); columns
  // after each line. The other records: none.
  EXPECT_EQ(readNumbers(field(inside, "sites")),
            (std::vector<std::uint64_t>{4, 2, 4, 5, 10, 9, 1, 6, 3, 1, 8, 2, 0, 0}));
  // They stand after every script, so that the first view need not wait for them.
  EXPECT_GT(html.find("id=\"graph-sites\""), html.rfind("<script>\n"));
  EXPECT_EQ(field(data(html), "sites"), "(missing)");
}

TEST_F(HtmlWriterTest, EveryBlockOfRecordsSaysWhereItsPlacesStart) {
  for (int i = 0; i < 300; ++i) {
    FuncRecord& f = define("f" + std::to_string(i), "m.c", i + 1);
    table_.addCallee(f, "g");
    table_.addSite(f, "g", {static_cast<std::uint32_t>(i + 2), 1}, false);
  }
  const std::string inside = data(page(), "graph-sites");
  // Each record: 1 place; 1 for its call of g, one line down (2), column 1.
  EXPECT_EQ(field(inside, "sites").substr(0, 8), "11211121");
  EXPECT_EQ(field(inside, "sites").size(), 1200u);
  EXPECT_EQ(readNumbers(field(inside, "siteBlocks")), (std::vector<std::uint64_t>{0, 1024}));
}

TEST_F(HtmlWriterTest, WithoutAnyPlaceTheSitesAreEmpty) {
  FuncRecord& main = define("main", "m.c", 5);
  table_.addCallee(main, "a");
  define("a", "m.c", 20);
  const std::string html = page();
  const std::string inside = data(html);
  EXPECT_EQ(field(data(html, "graph-sites"), "sites"), "");
  EXPECT_EQ(field(data(html, "graph-sites"), "siteBlocks"), "");
  EXPECT_EQ(field(inside, "columns"), "");
  EXPECT_EQ(field(inside, "morePlaces"), "");
}

TEST_F(HtmlWriterTest, EachSetOfCandidatesHasAPlaceOfItsOwn) {
  FuncRecord& main = define("main", "m.c", 1);
  define("d", "p.c", 1);
  define("d", "q.c", 1);
  define("d", "q.c", 9);
  FuncRecord& helper = define("helper", "q.c", 20);
  FuncRecord& other = define("other", "m.c", 30);
  table_.addCallee(main, "d");
  table_.addCallee(helper, "d");  // its own file has two: those two
  table_.addCallee(other, "d");   // the same three as main's
  const std::string inside = data(page());
  EXPECT_EQ(readNumbers(field(inside, "calls")),
            (std::vector<std::uint64_t>{1, 3, 0, 0, 0, 1, 7, 1, 3}));
  EXPECT_EQ(field(inside, "otherNames"), "d\\nd");
  // Records 1, 2, 3 as 1, +1, +1; then 2, 3 as 2, +1.
  EXPECT_EQ(readNumbers(field(inside, "otherSets")),
            (std::vector<std::uint64_t>{3, 1, 1, 1, 2, 2, 1}));
}

TEST_F(HtmlWriterTest, PlacesKindsAndTheFolderOfTheInputs) {
  FuncRecord& a = define("a", "/src/lib/a.c", 10);
  a.column = 6;
  table_.setMorePlaces(a, {{14, 6}, {8, 2}});
  FuncRecord& m = define("M", "/src/lib/sub/b.c", 3);
  m.column = 9;
  m.kind = DefinitionKind::Macro;
  FuncRecord& s = define("s", "/src/lib/sub/b.c", 5);
  s.column = 13;
  s.isStatic = true;
  const std::string inside = data(page());
  EXPECT_EQ(readNumbers(field(inside, "columns")), (std::vector<std::uint64_t>{6, 9, 13}));
  // Record 0 with two places: lines 10+4 and 10-2.
  EXPECT_EQ(readNumbers(field(inside, "morePlaces")),
            (std::vector<std::uint64_t>{0, 2, 8, 6, 3, 2}));
  EXPECT_EQ(readNumbers(field(inside, "macros")), (std::vector<std::uint64_t>{1}));
  EXPECT_EQ(readNumbers(field(inside, "statics")), (std::vector<std::uint64_t>{2}));
  EXPECT_EQ(field(inside, "folder"), "/src/lib/");
  EXPECT_EQ(field(inside, "folderPath"), "/src/lib/");
}

TEST_F(HtmlWriterTest, TheCommonFolderEndsAtASeparator) {
  define("a", "lib/ab/a.c", 1);
  define("b", "lib/abc/b.c", 1);
  define("c", "lib/ab/c.c", 1);
  EXPECT_EQ(field(data(page()), "folder"), "lib/");
  table_.freeFunctionTable();
  define("a", "a.c", 1);
  define("b", "lib/b.c", 1);
  EXPECT_EQ(field(data(page()), "folder"), "");
}

TEST_F(HtmlWriterTest, TheLinkTemplateIsDataThatCannotEndTheElement) {
  define("main", "m.c", 1);
  EXPECT_EQ(field(data(page()), "link"), "(missing)");  // null: no link
  const std::string inside = data(page("https://x.org/?f={file}&l={line}</script>"));
  EXPECT_EQ(field(inside, "link"), "https://x.org/?f={file}\\u0026l={line}\\u003c/script\\u003e");
}

}  // namespace
}  // namespace quenwick
