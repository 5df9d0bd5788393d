// quenwick-graph's own code: fuzzed options (a query, a format, a list) over a
// fuzzed source and fixed ones, through every format. Every JSON document it
// writes, and the data of every page, must parse as JSON.
//
// The input is lines of options, up to the first empty line, then the source
// src.c. The first byte picks the sources around it and the encoding of the texts.
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "config/texts.h"
#include "graph/graph_options.h"
#include "graph/graph_program.h"
#include "harness.h"
#include "platform/console.h"

namespace {

// Names that the fuzzed source shares with it: several definitions, NAME@FILE,
// recursion, a caption and a callee without definition.
constexpr std::string_view kLibrary =
    "// \x8b\x40\x94\x5c: entry \x82\xa0\n"
    "int main(void) { helper(1); lib(); missing(); }\n"
    "int helper(int n) { helper(n - 1); lib(); }\n"
    "static int lib(void) { emit(); }\n"
    "void emit(void) { main(); }\n";

// The sources after the options: all readable; a directory with a copy of the
// source; a missing file (the run fails unless --keep-going); a directory
// without a source file.
const std::vector<std::vector<std::string>> kSourceSets = {
    {"src.c", "lib.c"},
    {"src.c", "dir", "lib.c"},
    {"lib.c", "missing.c", "src.c"},
    {"src.c", "empty", "lib.c"},
};
constexpr std::size_t kUnreadableSets = 2;  // sets from here on name an unreadable input

constexpr std::size_t kMaxOptions = 12;
// With -P the text tree can grow exponentially with the number of calls, by
// design; a source with few parentheses keeps it small.
constexpr std::size_t kMaxParenthesesRepeating = 64;

// An option line is kept when it is a long option (--output excepted: the target
// chooses the file) or one of quenwick's own flags that write nothing.
bool keptOption(const std::string& line) {
  if (line.size() > 2 && line[0] == '-' && line[1] == '-') {
    return line.find("output") == std::string::npos;
  }
  return line == "-N" || line == "-P" || line == "-M" || line == "-C";
}

// The JSON text of a page: its data element.
bool pageData(const std::string& page, std::string& data) {
  const std::string open = "<script type=\"application/json\" id=\"graph-data\">";
  const std::size_t start = page.find(open);
  if (start == std::string::npos) return false;
  const std::size_t end = page.find("</script>", start);
  if (end == std::string::npos) return false;
  data = page.substr(start + open.size(), end - start - open.size());
  return true;
}

void checkParses(const std::string& text) {
  if (!nlohmann::json::accept(text)) fuzzing::fail("a JSON document does not parse");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  const std::uint8_t pick = data[0];
  std::string_view rest = fuzzing::asText(data + 1, size - 1);
  std::vector<std::string> options, flags;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string line(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.empty()) break;
    if (line.find('\0') != std::string::npos || !keptOption(line)) continue;
    (line[1] == '-' ? options : flags).push_back(line);
  }
  if (options.size() + flags.size() > kMaxOptions) return -1;
  const std::string_view source = rest;
  if (std::find(flags.begin(), flags.end(), "-P") != flags.end() &&
      static_cast<std::size_t>(std::count(source.begin(), source.end(), '(')) >
          kMaxParenthesesRepeating) {
    return -1;
  }

  fuzzing::clearScratch();
  fuzzing::writeScratchFile("src.c", source);
  fuzzing::writeScratchFile("lib.c", kLibrary);
  const std::size_t set = (pick & 0x7f) % kSourceSets.size();
  fuzzing::runInScratch([&](quenwick::Console&) {
    if (set == 1) ::mkdir("dir", 0755);
    if (set == 3) ::mkdir("empty", 0755);
    return 0;
  });
  if (set == 1) fuzzing::writeScratchFile("dir/x.c", source);

  std::vector<std::string> args{"quenwick-graph", "--output=out.doc"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back("--");
  args.insert(args.end(), flags.begin(), flags.end());
  args.insert(args.end(), kSourceSets[set].begin(), kSourceSets[set].end());

  quenwick::selectTextEncoding((pick & 0x80) != 0 ? "UTF-8" : nullptr);
  quenwick::GraphOptions parsed;
  const int status = fuzzing::runInScratch([&](quenwick::Console& console) {
    // The options as the run reads them, to know which format it writes.
    quenwick::parseGraphOptions(std::vector<std::string>(args.begin() + 1, args.end()), parsed,
                                console);
    return quenwick::runGraphProgram(args, console);
  });
  quenwick::selectTextEncoding(nullptr);
  if (status < 0 || status > 2) fuzzing::fail("exit status other than 0, 1 and 2");
  const bool asked = !parsed.help && !parsed.version;
  if (status == 1 && (set < kUnreadableSets || parsed.keepGoing)) {
    fuzzing::fail("a run over readable sources ended with status 1");
  }
  if (status == 0 && asked && set >= kUnreadableSets && !parsed.keepGoing) {
    fuzzing::fail("a run over an unreadable input succeeded");
  }
  std::string document;
  const bool written = fuzzing::readScratchFile("out.doc", document);
  if (status != 0) {
    if (written) fuzzing::fail("a failed run wrote its output");
    return 0;
  }
  if (!written) {
    if (asked) fuzzing::fail("a run that succeeded wrote nothing");
    return 0;
  }
  if (parsed.format == quenwick::GraphFormat::Json) checkParses(document);
  if (parsed.format == quenwick::GraphFormat::Html) {
    std::string inside;
    if (!pageData(document, inside)) fuzzing::fail("a page without its data");
    checkParses(inside);
  }
  return 0;
}
