#include "tree/file_facts.h"

#include <algorithm>
#include <map>
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
  std::map<std::pair<std::string_view, DefinitionKind>, const FileDefinition*> inVariant;
  for (const FileDefinition& definition : variant.definitions) inVariant.emplace(std::pair{std::string_view(definition.name), definition.kind}, &definition);
  std::set<std::pair<std::string_view, DefinitionKind>> known;
  for (const FileDefinition& definition : into.definitions) known.emplace(definition.name, definition.kind);
  std::vector<const FileDefinition*> added;
  for (const FileDefinition& definition : variant.definitions) {
    if (known.emplace(definition.name, definition.kind).second) added.push_back(&definition);
  }
  // Both lists are in source order: merged, the file's own first where places tie.
  // A function of both makes the calls of both.
  std::unordered_map<std::string, std::uint32_t> nameIndex;
  for (std::uint32_t i = 0; i < into.names.size(); ++i) nameIndex.emplace(into.names[i], i);
  auto before = [](const SourcePlace& a, const SourcePlace& b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
  };
  std::vector<FileDefinition> definitions;
  std::vector<CallSite> calls;
  definitions.reserve(into.definitions.size() + added.size());
  auto sitesOf = [&](const FileDefinition& definition, const FileFacts& from) {
    std::vector<CallSite> sites(from.calls.begin() + definition.callsBegin,
                                from.calls.begin() + definition.callsBegin + definition.callsCount);
    if (&from == &into) return sites;
    for (CallSite& site : sites) {
      auto [at, isNew] = nameIndex.try_emplace(from.names[site.name], static_cast<std::uint32_t>(into.names.size()));
      if (isNew) into.names.push_back(from.names[site.name]);
      site.name = at->second;
    }
    return sites;
  };
  auto take = [&](const FileDefinition& definition, const FileFacts& from, const FileDefinition* also) {
    definitions.push_back(definition);
    FileDefinition& copy = definitions.back();
    copy.callsBegin = static_cast<std::uint32_t>(calls.size());
    std::vector<CallSite> sites = sitesOf(definition, from);
    if (also != nullptr) {
      std::set<std::pair<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>>> made;
      for (const CallSite& site : sites) made.insert({site.name, {site.place.line, site.place.column}});
      std::vector<CallSite> merged;
      std::size_t own = 0;
      for (const CallSite& site : sitesOf(*also, variant)) {
        if (made.count({site.name, {site.place.line, site.place.column}}) != 0) continue;
        while (own < sites.size() && !before(site.place, sites[own].place)) merged.push_back(sites[own++]);
        merged.push_back(site);
      }
      merged.insert(merged.end(), sites.begin() + static_cast<std::ptrdiff_t>(own), sites.end());
      sites = std::move(merged);
    }
    calls.insert(calls.end(), sites.begin(), sites.end());
    copy.callsCount = static_cast<std::uint32_t>(sites.size());
  };
  std::size_t next = 0;
  for (const FileDefinition& own : into.definitions) {
    while (next < added.size() && before(added[next]->place, own.place)) take(*added[next++], variant, nullptr);
    auto same = inVariant.find({std::string_view(own.name), own.kind});
    take(own, into, same == inVariant.end() ? nullptr : same->second);
  }
  while (next < added.size()) take(*added[next++], variant, nullptr);
  into.definitions = std::move(definitions);
  into.calls = std::move(calls);
}

void dropDefinitions(FileFacts& facts, const std::set<std::pair<std::string, DefinitionKind>>& defined) {
  std::vector<FileDefinition> kept;
  std::vector<CallSite> calls;
  for (FileDefinition& definition : facts.definitions) {
    if (defined.count({definition.name, definition.kind}) != 0) continue;
    const auto first = facts.calls.begin() + definition.callsBegin;
    definition.callsBegin = static_cast<std::uint32_t>(calls.size());
    calls.insert(calls.end(), first, first + definition.callsCount);
    kept.push_back(std::move(definition));
  }
  facts.definitions = std::move(kept);
  facts.calls = std::move(calls);
}

bool sharesStatics(const std::string& path) {
  return !(path.size() >= 2 && path.compare(path.size() - 2, 2, ".c") == 0);
}

}  // namespace quenwick
