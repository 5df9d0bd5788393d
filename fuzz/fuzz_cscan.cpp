// One source file through the C scan, then through the function table and the
// call graph. The first byte picks the symbols and whether the text is read as
// code page 932 (a lone lead byte in front makes it no UTF-8); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cscan/c_scan.h"
#include "harness.h"
#include "shared/name_lists.h"
#include "tree/call_graph.h"
#include "tree/facts_table.h"

namespace {

// The facts must index only what they hold, and every place must be in the text.
void checkFacts(const quenwick::FileFacts& facts) {
  using quenwick::SourcePlace;
  auto inText = [&](const SourcePlace& place) {
    return place.line >= 1 && place.line <= facts.lines + 1 && place.column >= 1;
  };
  for (const auto& definition : facts.definitions) {
    if (std::size_t{definition.callsBegin} + definition.callsCount > facts.calls.size()) {
      fuzzing::fail("a definition's calls run past the call list");
    }
    if (!inText(definition.place) || !inText(definition.start) || !inText(definition.end)) {
      fuzzing::fail("a definition's place is outside the text");
    }
    if (definition.name.empty()) fuzzing::fail("a definition without a name");
  }
  for (const auto& call : facts.calls) {
    if (call.name >= facts.names.size()) fuzzing::fail("a call names no name");
    if (!inText(call.place)) fuzzing::fail("a call's place is outside the text");
  }
  for (std::size_t i = 1; i < facts.problems.size(); ++i) {
    const SourcePlace& a = facts.problems[i - 1].place;
    const SourcePlace& b = facts.problems[i].place;
    if (a.line > b.line || (a.line == b.line && a.column > b.column)) {
      fuzzing::fail("problems out of source order");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  const std::uint8_t choice = data[0];
  std::string text(fuzzing::asText(data + 1, size - 1));
  if (choice & 1) text.insert(text.begin(), '\x82');
  quenwick::CScanConfig config;
  if (choice & 2) config.symbols.push_back({"X", std::string("1"), true});
  if (choice & 4) config.symbols.push_back({"Y", std::nullopt, false});
  if (choice & 8) config.symbols.push_back({"F(a,b)", std::string("a + b"), true});
  config.captions = (choice & 16) != 0;
  config.captionKeyword = (choice & 32) ? "" : "key:";
  const quenwick::FileFacts facts = quenwick::scanCSource("src.c", text, config);
  checkFacts(facts);
  // The same facts as two files, one a header, merged and resolved.
  quenwick::FunctionTable table;
  quenwick::NameLists lists;
  quenwick::FactsOptions options{true, true};
  quenwick::addFileFacts(facts, table, lists, options);
  quenwick::FileFacts header = facts;
  header.path = "src.h";
  quenwick::addFileFacts(header, table, lists, options);
  quenwick::CallGraph graph(table);
  for (std::uint32_t r = 0; r < graph.size(); ++r) {
    for (const quenwick::Call& call : graph.calls(r)) {
      if (call.count > 0 && call.definition >= graph.size()) fuzzing::fail("a call resolves outside the table");
    }
  }
  (void)graph.recursive();
  return 0;
}
