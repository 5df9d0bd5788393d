#include "lsp/call_index.h"

#include "tree/facts_table.h"

namespace quenwick {

void CallIndex::rebuild(const std::vector<const SourceFile*>& files, const NameLists& lists) {
  graph_.reset();
  table_ = std::make_unique<FunctionTable>();
  fileOfRecord_.clear();
  recordsOfFile_.clear();
  siteCount_ = 0;
  FactsOptions options;
  options.showComments = true;
  options.keepSites = true;
  table_->setResolution(Resolution::Linkage);
  for (const SourceFile* file : files) {
    const std::size_t first = table_->records().size();
    addFileFacts(file->facts, *table_, lists, options);
    const std::size_t last = table_->records().size();
    std::vector<std::uint32_t>& own = recordsOfFile_[file];
    for (std::size_t r = first; r < last; ++r) {
      own.push_back(static_cast<std::uint32_t>(r));
      fileOfRecord_.push_back(file);
      siteCount_ += table_->records()[r].sitesCount;
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
  for (std::uint32_t r : recordsOf(file)) {
    const FuncRecord& record = table_->records()[r];
    if (record.name == name) {
      const FileDefinition& definition = definitionOf(r);
      bool here = definition.place == place;
      for (const SourcePlace& other : definition.morePlaces) here = here || other == place;
      if (here) {
        at.definition = r;
        return at;
      }
    }
    const FileDefinition& definition = definitionOf(r);
    if (line < definition.start.line || (definition.end.line != 0 && line > definition.end.line)) {
      continue;
    }
    for (const TableSite& site : table_->sites(record)) {
      if (site.place == place && table_->nameOf(site.name) == name) {
        at.caller = r;
        at.site = &site;
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
  const std::uint32_t name = table_->findName(at.name);
  if (name == SymbolTable::kNone) return found;
  if (at.site != nullptr && !at.site->indirect) {
    found = table_->candidates(name, table_->records()[at.caller]);
    if (!found.empty()) return found;
  }
  if (at.site != nullptr && at.site->indirect) return found;  // a member or a variable
  // Every definition of the name, those of the file first.
  for (bool own : {true, false}) {
    for (std::uint32_t r : graph_->definitions(name)) {
      if ((fileOfRecord_[r] == &file) == own) found.push_back(r);
    }
  }
  return found;
}

std::vector<const TableSite*> CallIndex::sitesCalling(std::uint32_t caller, std::uint32_t name) {
  std::vector<const TableSite*> sites;
  for (const TableSite& site : table_->sites(table_->records()[caller])) {
    if (site.name == name && !site.indirect) sites.push_back(&site);
  }
  return sites;
}

std::vector<std::pair<std::uint32_t, const TableSite*>> CallIndex::allSitesOf(std::uint32_t name) {
  std::vector<std::pair<std::uint32_t, const TableSite*>> all;
  for (const FuncRecord& record : table_->records()) {
    for (const TableSite& site : table_->sites(record)) {
      if (site.name == name && !site.indirect) all.emplace_back(record.index, &site);
    }
  }
  return all;
}

}  // namespace quenwick
