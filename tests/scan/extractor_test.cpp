#include "scan/extractor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "config/texts.h"
#include "scan/scan_fixture.h"

namespace quenwick::scantest {
namespace {

using namespace std::string_literals;

class ExtractorTest : public ScanTest {
 protected:
  // The records as "name@line[callee,...]", separated by blanks.
  std::string records() const {
    std::string text;
    for (const FuncRecord& record : table.records()) {
      if (!text.empty()) text += ' ';
      text += std::string(record.name) + "@" + std::to_string(record.lines) + "[";
      bool first = true;
      for (std::uint32_t id : table.Sons(record)) {
        std::string_view callee = table.nameOf(id);
        if (!first) text += ',';
        text += callee;
        first = false;
      }
      text += ']';
    }
    return text;
  }
};

// The trace line of an opened file.
std::string fileNameLine(const char* name) {
  char buf[256];
  std::snprintf(buf, sizeof buf, textFormat(Text::VerboseFileName), name);
  return buf;
}

// A prototype on line 2, main on line 7 calling square and printf, square on line 14.
constexpr std::string_view kSquareSource =
    "\n"
    "int square(int x);\n"
    "\n\n\n\n"
    "int main(void)\n"
    "{\n"
    "    square(1);\n"
    "    printf(\"%d\\n\", 1);\n"
    "    return 0;\n"
    "}\n"
    "\n"
    "int square(int x)\n"
    "{\n"
    "    return x * x;\n"
    "}\n";

TEST_F(ExtractorTest, DefinitionsAreRecordedAndPrototypesPassedOver) {
  scan(kSquareSource);
  EXPECT_EQ(records(), "main@7[square,printf] square@14[]");
  EXPECT_EQ(out(), "");
}

TEST_F(ExtractorTest, VerboseTraceNamesDeclarationsDefinitionsAndCallees) {
  options.verbose = true;
  scan(kSquareSource, "s.c");
  EXPECT_EQ(out(), fileNameLine("s.c") +
                       "s.c 3\nsquare();\n"
                       "s.c 7\nmain()\n{\n    square();\n    printf();\n}\n\n"
                       "s.c 14\nsquare()\n{\n}\n\n");
}

TEST_F(ExtractorTest, HeadsBodiesAndCallsByTheirShape) {
  struct Case {
    const char* source;
    const char* records;
  };
  const Case cases[] = {
      // Old-style parameter declarations stand between the head and the body.
      {"int f(a, b) int a; char *b; {\n  g(a);\n}\n", "f@1[g]"},
      // Declarations and declarators record nothing.
      {"f(), g();\nvoid (*signal(int, void (*)(int)))(int);\nint (*fp)(int);\n", ""},
      // Every name before "(" is a call, keywords and nested calls too; "return" is
      // followed by a name, and fp by ")".
      {"int h(void) { if (x) return f(g(y)); }\n", "h@1[if,f,g]"},
      {"int k(void) { s.fn(x); p->gn(y); (*fp)(z); while\n (1) {} }\n", "k@1[fn,gn,while]"},
      {"int f(void) { /* g() */ h(\"k()\", '('); // m()\n }\n", "f@1[h]"},
      {"int f(void) { n = 0x1F (2); }\n", "f@1[x1F]"},
      // The line is taken after the character that ends the name.
      {"int\nfoo\n(void)\n{}\nint bar\n(void) {}\n", "foo@3[] bar@6[]"},
      {"a(void){}b(void){}", "a@1[] b@1[]"},
      // A macro at file level takes the next body; the real name is lost.
      {"DECLARE(x)\nint y;\nint real(void)\n{\n  call();\n}\n", "DECLARE@1[call]"},
      // Heads cut off by the end of the file.
      {"int f(void", ""},
      {"int g(void) int", ""},
      {"int h", ""},
      // After a stray "}", each body's own "{" only brings the depth back to 0: the
      // bodies are empty and their contents are file-level text.
      {"}\nint f(void) { g(); }\nint k(void) { m(); }\n", "f@2[] k@3[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    table.freeFunctionTable();
    scan(c.source);
    EXPECT_EQ(records(), c.records);
  }
}

TEST_F(ExtractorTest, ExcludedLeafAndRepeatedNamesAreNoCallees) {
  lists.excludeList.appendName("printf");
  lists.leafList.appendName("puts");
  scan("int self(void) { printf(); puts(); a(); a (); self(); }\nint printf(void) { b(); }\n");
  EXPECT_EQ(records(), "self@1[a,self] printf@2[b]");
}

TEST_F(ExtractorTest, BodyCutByTheEndKeepsItsCalleesAndHasNoClosingTrace) {
  options.verbose = true;
  scan("int f(void) {\n a(); b(", "c.c");
  EXPECT_EQ(records(), "f@1[a,b]");
  EXPECT_EQ(scanner.braceDepth(), 1);
  EXPECT_EQ(out(), fileNameLine("c.c") + "c.c 1\nf()\n{\n    a();\n    b();\n");
}

TEST_F(ExtractorTest, CaptionGoesToTheNextDefinitionOnly) {
  std::string keyword(kKeyword);
  scan("// " + keyword + " cap\nint p(void);\nint d(void) {}\nint e(void) // " + keyword +
       " late\n{ /* " + keyword + " inner\n */ }\nint z(void) {}\n");
  ASSERT_EQ(table.records().size(), 3u);
  EXPECT_EQ(table.records()[0].comment, "cap");
  EXPECT_EQ(table.records()[1].comment, "late");
  EXPECT_EQ(table.records()[2].comment, "");
}

TEST_F(ExtractorTest, RecordsMadeWithCaptionsOffHaveNoComment) {
  options.showComments = false;
  scan("// " + std::string(kKeyword) + " cap\nint d(void) {}\n");
  ASSERT_EQ(table.records().size(), 1u);
  EXPECT_FALSE(table.records()[0].comment.has_value());
}

TEST_F(ExtractorTest, LongNamesAreKeptWhole) {
  std::string name(2500, 'n');
  scan("int " + name + "(void) { " + name + "(); }\n");
  EXPECT_EQ(records(), name + "@1[" + name + "]");
}

TEST_F(ExtractorTest, MissingFileIsReportedOnTheProgressLine) {
  scanner.resetForFile();
  scanner.extractor.scanSourceFile("/nonexistent-dir/none.c");
  EXPECT_EQ(err(), "\a"s + std::string(text(Text::SourceMissing)));
  EXPECT_EQ(records(), "");
}

}  // namespace
}  // namespace quenwick::scantest
