#include "tree/file_facts.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

namespace quenwick {

bool FileFacts::balanced() const {
  for (const ScanProblem& problem : problems) {
    switch (problem.kind) {
      case ScanProblem::UnclosedBrace:
      case ScanProblem::ExcessBrace:
      case ScanProblem::UnclosedCondition:
      case ScanProblem::ExcessCondition:
      case ScanProblem::UnclosedComment:
      case ScanProblem::UnclosedLiteral:
        return false;
      default:
        break;
    }
  }
  return true;
}

std::size_t FileFacts::undecidedCount() const {
  std::size_t count = 0;
  for (const ScanProblem& problem : problems) count += problem.kind == ScanProblem::Undecided;
  return count;
}

void addVariantDefinitions(FileFacts& into, const FileFacts& variant) {
  for (const auto* list : {&variant.headers, &variant.missingHeaders}) {
    std::vector<std::string>& own = list == &variant.headers ? into.headers : into.missingHeaders;
    for (const std::string& header : *list) {
      if (std::find(own.begin(), own.end(), header) == own.end()) own.push_back(header);
    }
  }
  std::set<std::pair<std::string, DefinitionKind>> known;
  for (const FileDefinition& definition : into.definitions) known.emplace(definition.name, definition.kind);
  std::vector<const FileDefinition*> added;
  for (const FileDefinition& definition : variant.definitions) {
    if (known.emplace(definition.name, definition.kind).second) added.push_back(&definition);
  }
  if (added.empty()) return;
  // Both lists are in source order: merged, the file's own first where places tie.
  std::unordered_map<std::string, std::uint32_t> nameIndex;
  for (std::uint32_t i = 0; i < into.names.size(); ++i) nameIndex.emplace(into.names[i], i);
  std::vector<FileDefinition> definitions;
  std::vector<CallSite> calls;
  definitions.reserve(into.definitions.size() + added.size());
  auto take = [&](const FileDefinition& definition, const FileFacts& from) {
    definitions.push_back(definition);
    FileDefinition& copy = definitions.back();
    copy.callsBegin = static_cast<std::uint32_t>(calls.size());
    for (std::uint32_t c = definition.callsBegin; c < definition.callsBegin + definition.callsCount; ++c) {
      CallSite site = from.calls[c];
      if (&from != &into) {
        auto [at, isNew] = nameIndex.try_emplace(from.names[site.name], static_cast<std::uint32_t>(into.names.size()));
        if (isNew) into.names.push_back(from.names[site.name]);
        site.name = at->second;
      }
      calls.push_back(site);
    }
  };
  auto before = [](const SourcePlace& a, const SourcePlace& b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
  };
  std::size_t next = 0;
  for (const FileDefinition& own : into.definitions) {
    while (next < added.size() && before(added[next]->place, own.place)) take(*added[next++], variant);
    take(own, into);
  }
  while (next < added.size()) take(*added[next++], variant);
  into.definitions = std::move(definitions);
  into.calls = std::move(calls);
}

bool sharesStatics(const std::string& path) {
  return !(path.size() >= 2 && path.compare(path.size() - 2, 2, ".c") == 0);
}

}  // namespace quenwick
