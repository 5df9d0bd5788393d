// --sites: every place a name is called, in the form editors jump to.
#include <string>
#include <vector>

#include "config/texts.h"
#include "graph/graph_writers.h"
#include "graph/json_text.h"

namespace quenwick {

namespace {

/// One --sites NAME[@FILE], found in the table.
struct Wanted {
  std::string name;                    // before "@"
  std::string file;                    // after "@"; empty when none is given
  std::uint32_t key = SymbolTable::kNone;  // the name's key
  std::vector<bool> records;           // with a file: its definitions there
};

std::vector<Wanted> wantedOf(const GraphView& view) {
  std::vector<Wanted> wanted;
  const FunctionTable& table = view.graph.table();
  for (const std::string& given : view.options.sites) {
    Wanted item;
    const std::size_t at = given.find('@');
    item.name = given.substr(0, at);
    if (at != std::string::npos) item.file = given.substr(at + 1);
    item.key = table.findName(item.name);
    if (!item.file.empty() && item.key != SymbolTable::kNone) {
      item.records.assign(view.graph.size(), false);
      for (std::uint32_t r : view.graph.definitions(item.key)) {
        if (table.records()[r].filename == item.file) item.records[r] = true;
      }
    }
    wanted.push_back(std::move(item));
  }
  return wanted;
}

bool hasAny(const std::vector<bool>& marks) {
  for (bool mark : marks) {
    if (mark) return true;
  }
  return false;
}

/// One place of a call.
struct Site {
  std::uint32_t caller;  // the calling record
  SourcePlace place;     // where the callee's name stands
};

std::vector<Site> sitesOf(const GraphView& view) {
  FunctionTable& table = view.graph.table();
  const std::vector<Wanted> wanted = wantedOf(view);
  std::vector<Site> sites;
  for (FuncRecord& record : table.records()) {
    for (const TableSite& site : table.sites(record)) {
      // A call left out of the callee list (-N, a name of a table) is no site.
      if (site.indirect || !table.containsCallee(record, table.nameOf(site.name))) continue;
      for (const Wanted& item : wanted) {
        if (site.name != item.key) continue;
        bool match = item.file.empty();
        if (!match) {
          for (std::uint32_t r : table.candidates(site.name, record)) match = match || item.records[r];
        }
        if (match) {
          sites.push_back(Site{record.index, site.place});
          break;
        }
      }
    }
  }
  return sites;
}

}  // namespace

bool checkSites(const GraphView& view, Console& console) {
  for (const Wanted& item : wantedOf(view)) {
    if (item.file.empty() && item.key == SymbolTable::kNone) {
      // Neither defined nor called anywhere: most likely a typing error.
      console.err.printf(textFormat(Text::GraphUndefinedName), "sites", item.name.c_str());
      return false;
    }
    if (item.file.empty() || hasAny(item.records)) continue;
    console.err.printf(textFormat(Text::GraphUndefinedInFile), "sites", item.name.c_str(),
                       item.file.c_str());
    return false;
  }
  return true;
}

void writeSiteList(const GraphView& view, OutStream& out) {
  const FunctionTable& table = view.graph.table();
  const std::vector<Site> sites = sitesOf(view);
  if (view.options.format == GraphFormat::Json) {
    JsonText json(view.utf8, out);
    std::string_view version = text(Text::GraphVersion);
    json.raw("{\n\"generator\": ").string(version.substr(0, version.size() - 1));
    json.raw(",\n\"query\": {\"sites\": ").strings(view.options.sites);
    json.raw("},\n\"sites\": [");
    for (std::size_t i = 0; i < sites.size(); ++i) {
      const FuncRecord& caller = table.records()[sites[i].caller];
      json.raw(i > 0 ? ",\n{\"file\": " : "\n{\"file\": ").string(caller.filename);
      json.raw(", \"line\": ").number(sites[i].place.line);
      json.raw(", \"column\": ").number(sites[i].place.column);
      json.raw(", \"caller\": ").number(caller.index);
      json.raw(", \"caller_name\": ").string(caller.name).raw("}");
      json.pieceDone();
    }
    json.raw("\n]\n}\n");
    return;
  }
  // Source bytes as they are.
  std::string line;
  for (const Site& site : sites) {
    const FuncRecord& caller = table.records()[site.caller];
    line.assign(caller.filename);
    line += ':' + std::to_string(site.place.line) + ':' + std::to_string(site.place.column) + ": ";
    line.append(caller.name);
    line += '\n';
    out.write(line);
  }
}

}  // namespace quenwick
