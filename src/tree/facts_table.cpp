#include "tree/facts_table.h"

#include <algorithm>
#include <limits>

namespace quenwick {

namespace {

int lineOf(const SourcePlace& place) {
  return static_cast<int>(std::min<std::uint32_t>(place.line, std::numeric_limits<int>::max()));
}

}  // namespace

void addFileFacts(const FileFacts& facts, FunctionTable& table, const NameLists& lists,
                  const FactsOptions& options) {
  table.setResolution(Resolution::Linkage);
  table.addIncludedSources(facts.path, facts.includedSources);
  table.setFileEncoding(facts.path, facts.encoding);
  // Whether each name of the file is left out, decided once per name.
  std::vector<std::int8_t> leftOut(facts.names.size(), -1);
  auto isLeftOut = [&](std::uint32_t name) {
    if (leftOut[name] < 0) {
      const std::string& text = facts.names[name];
      leftOut[name] = lists.excludeList.containsName(text) || lists.leafList.containsName(text);
    }
    return leftOut[name] == 1;
  };
  std::string placedElsewhere;  // the last file other than its own that a definition is placed in
  for (std::uint32_t d = 0; d < facts.definitions.size(); ++d) {
    const FileDefinition& definition = facts.definitions[d];
    const std::string* caption = definition.caption ? &*definition.caption : nullptr;
    const std::string& file = definition.presumedFile.empty() ? facts.path : definition.presumedFile;
    if (&file != &facts.path && file != placedElsewhere) {
      placedElsewhere = file;
      table.addUnitFile(facts.path, file);
      table.setFileEncoding(file, facts.encoding);
    }
    FuncRecord& record = table.appendFuncRecord(table.createFuncRecord(
        definition.name, file, lineOf(definition.place), caption, options.showComments));
    record.column = definition.place.column;
    record.endLine = definition.end.line;
    record.kind = definition.kind;
    record.isStatic = definition.isStatic;
    record.factsIndex = d;
    if (!definition.morePlaces.empty()) table.setMorePlaces(record, definition.morePlaces);
    const std::size_t end = std::size_t{definition.callsBegin} + definition.callsCount;
    for (std::size_t c = definition.callsBegin; c < end && c < facts.calls.size(); ++c) {
      const CallSite& site = facts.calls[c];
      if (site.name >= facts.names.size() || isLeftOut(site.name)) continue;
      const std::string& callee = facts.names[site.name];
      if (options.keepSites) table.addSite(record, callee, site.place, site.indirect, site.conditional);
      if (!site.indirect && !table.containsCallee(record, callee)) table.addCallee(record, callee);
      if (site.macro) table.markMacroCall(record, callee);
    }
  }
}

}  // namespace quenwick
