#include "lsp/call_index.h"

#include "tree/facts_table.h"

namespace quenwick {

bool sameShape(const FileFacts& a, const FileFacts& b) {
  if (a.definitions.size() != b.definitions.size() || a.isText != b.isText) return false;
  for (std::size_t d = 0; d < a.definitions.size(); ++d) {
    const FileDefinition& x = a.definitions[d];
    const FileDefinition& y = b.definitions[d];
    if (x.name != y.name || x.kind != y.kind || x.isStatic != y.isStatic ||
        x.caption != y.caption || x.callsCount != y.callsCount ||
        x.morePlaces.size() != y.morePlaces.size()) {
      return false;
    }
    for (std::uint32_t c = 0; c < x.callsCount; ++c) {
      const CallSite& p = a.calls[x.callsBegin + c];
      const CallSite& q = b.calls[y.callsBegin + c];
      if (p.indirect != q.indirect || a.names[p.name] != b.names[q.name]) return false;
    }
  }
  return true;
}

void CallIndex::rebuild(const std::vector<const SourceFile*>& files, const NameLists& lists) {
  graph_.reset();
  table_ = std::make_unique<FunctionTable>();
  fileOfRecord_.clear();
  recordsOfFile_.clear();
  siteCount_ = 0;
  FactsOptions options;
  options.showComments = true;
  options.keepSites = false;  // the places come from the facts
  table_->setResolution(Resolution::Linkage);
  for (const SourceFile* file : files) {
    const std::size_t first = table_->records().size();
    addFileFacts(file->facts, *table_, lists, options);
    const std::size_t last = table_->records().size();
    std::vector<std::uint32_t>& own = recordsOfFile_[file];
    for (std::size_t r = first; r < last; ++r) {
      own.push_back(static_cast<std::uint32_t>(r));
      fileOfRecord_.push_back(file);
      siteCount_ += file->facts.definitions[table_->records()[r].factsIndex].callsCount;
    }
  }
  graph_ = std::make_unique<CallGraph>(*table_);
}

const FileDefinition& CallIndex::definitionOf(std::uint32_t index) const {
  const FuncRecord& record = table_->records()[index];
  return fileOfRecord_[index]->facts.definitions[record.factsIndex];
}

std::span<const std::uint32_t> CallIndex::recordsOf(const SourceFile& file) const {
  auto it = recordsOfFile_.find(&file);
  if (it == recordsOfFile_.end()) return {};
  return it->second;
}

NameAt CallIndex::locate(const SourceFile& file, std::string_view name, std::uint32_t line,
                         std::uint32_t column) {
  NameAt at;
  at.name = name;
  if (!built() || name.empty()) return at;
  const SourcePlace place{line, column};
  const FileFacts& facts = file.facts;
  for (std::uint32_t r : recordsOf(file)) {
    const FileDefinition& definition = definitionOf(r);
    if (definition.name == name) {
      bool here = definition.place == place;
      for (const SourcePlace& other : definition.morePlaces) here = here || other == place;
      if (here) {
        at.definition = r;
        return at;
      }
    }
    if (line < definition.start.line || (definition.end.line != 0 && line > definition.end.line)) {
      continue;
    }
    for (std::uint32_t c = 0; c < definition.callsCount; ++c) {
      const CallSite& site = facts.calls[definition.callsBegin + c];
      if (site.place == place && facts.names[site.name] == name) {
        at.caller = r;
        at.indirect = site.indirect;
        return at;
      }
    }
  }
  return at;
}

std::vector<std::uint32_t> CallIndex::targets(const SourceFile& file, const NameAt& at) {
  std::vector<std::uint32_t> found;
  if (!built()) return found;
  if (at.definition != UINT32_MAX) {
    found.push_back(at.definition);
    return found;
  }
  if (at.caller != UINT32_MAX && at.indirect) return found;  // a member or a variable
  const std::uint32_t name = table_->findName(at.name);
  if (name == SymbolTable::kNone) return found;
  if (at.caller != UINT32_MAX) {
    found = table_->candidates(name, table_->records()[at.caller]);
    if (!found.empty()) return found;
  }
  // Every definition of the name, those of the file first.
  for (bool own : {true, false}) {
    for (std::uint32_t r : graph_->definitions(name)) {
      if ((fileOfRecord_[r] == &file) == own) found.push_back(r);
    }
  }
  return found;
}

std::vector<SourcePlace> CallIndex::sitesCalling(std::uint32_t caller, std::uint32_t name) const {
  std::vector<SourcePlace> places;
  const std::string_view text = table_->nameOf(name);
  const FileFacts& facts = fileOfRecord_[caller]->facts;
  const FileDefinition& definition = definitionOf(caller);
  for (std::uint32_t c = 0; c < definition.callsCount; ++c) {
    const CallSite& site = facts.calls[definition.callsBegin + c];
    if (!site.indirect && facts.names[site.name] == text) places.push_back(site.place);
  }
  return places;
}

std::vector<SiteOf> CallIndex::allSitesOf(std::string_view name) const {
  std::vector<SiteOf> all;
  for (std::uint32_t r = 0; r < fileOfRecord_.size(); ++r) {
    const FileFacts& facts = fileOfRecord_[r]->facts;
    const FileDefinition& definition = definitionOf(r);
    for (std::uint32_t c = 0; c < definition.callsCount; ++c) {
      const CallSite& site = facts.calls[definition.callsBegin + c];
      if (!site.indirect && facts.names[site.name] == name) all.push_back({r, site.place});
    }
  }
  return all;
}

}  // namespace quenwick
