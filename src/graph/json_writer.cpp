#include <string>

#include "config/texts.h"
#include "graph/graph_writers.h"
#include "graph/json_text.h"

namespace quenwick {

namespace {

const char* listName(ListKind kind) {
  switch (kind) {
    case ListKind::Roots:
      return "roots";
    case ListKind::Leaves:
      return "leaves";
    case ListKind::Undefined:
      return "undefined";
    case ListKind::Recursive:
      return "recursive";
    case ListKind::All:
      return "all";
    case ListKind::None:
      break;
  }
  return nullptr;
}

void writeHead(const GraphView& view, JsonText& json) {
  const GraphOptions& options = view.options;
  std::string_view version = text(Text::GraphVersion);
  json.raw("{\n\"generator\": ").string(version.substr(0, version.size() - 1));
  json.raw(",\n\"query\": {\"root\": ").strings(options.roots);
  json.raw(", \"callers\": ").strings(options.callers);
  json.raw(", \"target\": ").strings(options.targets);
  json.raw(", \"depth\": ");
  if (options.depth) {
    json.number(*options.depth);
  } else {
    json.raw("null");
  }
  json.raw(", \"list\": ");
  if (const char* list = listName(options.list)) {
    json.string(list);
  } else {
    json.raw("null");
  }
  json.raw("}");
}

void writeIds(const std::vector<std::uint32_t>& ids, JsonText& json) {
  json.raw("[");
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) json.raw(", ");
    json.number(ids[i]);
  }
  json.raw("]");
}

/// The fields every function object has: id, name, file, line, caption; and
/// from the C scan the place's column and end, static, kind and the other places.
void writeFunctionHead(const GraphView& view, const FuncRecord& record, JsonText& json) {
  const FunctionTable& table = view.graph.table();
  Utf8Converter& texts = view.textsOf(record);
  json.raw("{\"id\": ").number(record.index);
  json.raw(", \"name\": ").string(record.name, texts);
  json.raw(", \"file\": ").string(record.filename);
  json.raw(", \"line\": ").raw(std::to_string(record.lines));
  if (table.resolution() == Resolution::Linkage) {
    json.raw(", \"column\": ").number(record.column);
    json.raw(", \"end_line\": ").number(record.endLine);
    json.raw(record.isStatic ? ", \"static\": true" : ", \"static\": false");
    json.raw(record.kind == DefinitionKind::Macro ? ", \"kind\": \"macro\""
                                                  : ", \"kind\": \"function\"");
    const auto places = table.morePlaces(record);
    if (!places.empty()) {
      json.raw(", \"places\": [");
      for (std::size_t i = 0; i < places.size(); ++i) {
        json.raw(i > 0 ? ", {\"line\": " : "{\"line\": ").number(places[i].line);
        json.raw(", \"column\": ").number(places[i].column).raw("}");
      }
      json.raw("]");
    }
  }
  json.raw(", \"caption\": ");
  if (record.comment) {
    json.string(*record.comment, texts);
  } else {
    json.raw("null");
  }
}

/// Names met in the calls, each once, in the order first met.
struct NamesMet {
  std::vector<std::uint32_t> undefined;  // called, defined nowhere
  std::vector<std::uint32_t> several;    // called with several candidate definitions
  std::vector<bool> seen;                // by name key

  void add(std::uint32_t name, std::vector<std::uint32_t>& list) {
    if (seen[name]) return;
    seen[name] = true;
    list.push_back(name);
  }
};

void writeNames(const GraphView& view, const std::vector<std::uint32_t>& names, JsonText& json) {
  json.raw("[");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) json.raw(", ");
    json.string(view.graph.table().nameOf(names[i]));
  }
  json.raw("]");
}

/// Every shown call site of `record` in source order, with its place: a defined
/// callee by id, an undefined one by name, several candidates listed, and a call
/// through a pointer or member by that name.
void writeSites(const GraphView& view, const FuncRecord& record, JsonText& json,
                std::vector<std::uint32_t>& callOfName) {
  FunctionTable& table = view.graph.table();
  const Selection& selection = view.selection;
  const auto calls = view.graph.calls(record.index);
  for (std::size_t c = 0; c < calls.size(); ++c) callOfName[calls[c].name] = static_cast<std::uint32_t>(c + 1);
  json.raw(", \"calls\": [");
  bool first = true;
  for (const TableSite& site : table.sites(record)) {
    std::string entry;
    const std::uint32_t known = site.indirect ? 0 : callOfName[site.name];
    if (site.indirect) {
      if (!selection.callsShown[record.index]) continue;
    } else if (known == 0) {
      continue;  // a name left out of the callee list (-N)
    } else {
      const Call& call = calls[known - 1];
      const bool shown = call.count == 1   ? selection.edge(record.index, call.definition)
                         : call.count == 0 ? selection.undefinedEdge(record.index)
                                           : selection.ambiguousEdge(record.index, call.name);
      if (!shown) continue;
    }
    json.raw(first ? "{" : ", {");
    first = false;
    if (!site.indirect && calls[known - 1].count == 1) {
      json.raw("\"callee\": ").number(calls[known - 1].definition);
    } else {
      json.raw("\"name\": ").string(table.nameOf(site.name), view.textsOf(record));
      if (site.indirect) {
        json.raw(", \"indirect\": true");
      } else if (calls[known - 1].count > 1) {
        json.raw(", \"candidates\": ");
        writeIds(table.candidates(site.name, record), json);
      }
    }
    if (site.conditional) json.raw(", \"conditional\": true");
    json.raw(", \"line\": ").number(site.place.line);
    json.raw(", \"column\": ").number(site.place.column).raw("}");
  }
  json.raw("]");
  for (const Call& call : calls) callOfName[call.name] = 0;
}

/// The shown calls of `record`: defined callees by id, the others by name.
void writeCalls(const GraphView& view, const FuncRecord& record, JsonText& json, NamesMet& met) {
  const Selection& selection = view.selection;
  std::vector<std::uint32_t> callees, undefined, several;
  for (const Call& call : view.graph.calls(record.index)) {
    if (call.count == 1) {
      if (selection.edge(record.index, call.definition)) callees.push_back(call.definition);
    } else if (call.count == 0) {
      if (selection.undefinedEdge(record.index)) undefined.push_back(call.name);
    } else if (selection.ambiguousEdge(record.index, call.name)) {
      several.push_back(call.name);
    }
  }
  json.raw(", \"callees\": ");
  writeIds(callees, json);
  json.raw(", \"undefined\": ");
  writeNames(view, undefined, json);
  json.raw(", \"ambiguous\": ");
  writeNames(view, several, json);
  for (std::uint32_t name : undefined) met.add(name, met.undefined);
  for (std::uint32_t name : several) met.add(name, met.several);
}

/// The closing fields: the names called but defined nowhere, and for each name
/// called with several candidates, its definitions shown.
void writeTail(const GraphView& view, const NamesMet& met, JsonText& json) {
  json.raw(",\n\"undefined\": ");
  writeNames(view, met.undefined, json);
  json.raw(",\n\"ambiguous\": {");
  for (std::size_t i = 0; i < met.several.size(); ++i) {
    json.raw(i > 0 ? ",\n" : "\n").string(view.graph.table().nameOf(met.several[i])).raw(": ");
    std::vector<std::uint32_t> shown;
    for (std::uint32_t r : view.graph.definitions(met.several[i])) {
      if (view.selection.shown[r]) shown.push_back(r);
    }
    writeIds(shown, json);
    json.pieceDone();
  }
  json.raw(met.several.empty() ? "}\n}\n" : "\n}\n}\n");
}

}  // namespace

void writeJson(const GraphView& view, OutStream& out) {
  JsonText json(view.utf8, out);
  writeHead(view, json);
  json.raw(",\n\"roots\": ");
  writeIds(view.selection.roots, json);
  json.raw(",\n\"functions\": [");
  const auto& records = view.graph.table().records();
  NamesMet met;
  met.seen.assign(view.graph.table().nameCount(), false);
  const bool withSites = view.graph.table().resolution() == Resolution::Linkage;
  std::vector<std::uint32_t> callOfName(withSites ? view.graph.table().nameCount() : 0, 0);
  bool first = true;
  for (const FuncRecord& record : records) {
    if (!view.selection.shown[record.index]) continue;
    json.raw(first ? "\n" : ",\n");
    first = false;
    writeFunctionHead(view, record, json);
    writeCalls(view, record, json, met);
    if (withSites) writeSites(view, record, json, callOfName);
    json.raw("}");
    json.pieceDone();
  }
  json.raw("\n]");
  writeTail(view, met, json);
}

void writeListJson(const GraphView& view, const std::vector<std::uint32_t>& records,
                   const std::vector<std::uint32_t>& undefinedNames, OutStream& out) {
  JsonText json(view.utf8, out);
  writeHead(view, json);
  json.raw(",\n\"roots\": [],\n\"functions\": [");
  for (std::size_t i = 0; i < records.size(); ++i) {
    json.raw(i == 0 ? "\n" : ",\n");
    writeFunctionHead(view, view.graph.table().records()[records[i]], json);
    json.raw("}");
    json.pieceDone();
  }
  json.raw("\n]");
  NamesMet met;
  met.undefined = undefinedNames;
  writeTail(view, met, json);
}

}  // namespace quenwick
