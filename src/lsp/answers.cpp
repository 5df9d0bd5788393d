#include "lsp/answers.h"

#include <algorithm>
#include <tuple>

#include "config/format_text.h"
#include "lsp/params.h"
#include "lsp/symbol_search.h"
#include "platform/byte_class.h"
#include "platform/utf8.h"

namespace quenwick {

namespace {

constexpr int kSymbolFunction = 12;
constexpr int kSymbolMacro = 14;  // Constant: the protocol has no kind for macros
constexpr std::size_t kMaxHeadLines = 8;
constexpr std::size_t kMaxHeadBytes = 400;

int symbolKind(DefinitionKind kind) {
  return kind == DefinitionKind::Macro ? kSymbolMacro : kSymbolFunction;
}

SourcePlace after(SourcePlace place, std::size_t bytes) {
  return SourcePlace{place.line, place.column + static_cast<std::uint32_t>(bytes)};
}

// The words that tell a definition apart: "static", "macro".
std::string detailOf(const FuncRecord& record) {
  std::string detail;
  if (record.isStatic) detail = text(Text::LspWordStatic);
  if (record.kind == DefinitionKind::Macro) {
    if (!detail.empty()) detail += ' ';
    detail += text(Text::LspWordMacro);
  }
  return detail;
}

// `text` as UTF-8 for a file read as `coding`.
std::string asUtf8(std::string_view text, TextCoding coding) {
  if (coding == TextCoding::Cp932) return Utf8Converter(true).convert(text);
  std::string out;
  appendCheckedUtf8(text, out);
  return out;
}

}  // namespace

SourceFile& Answers::documentOf(const Json& params) {
  const Json& document = requireObject(params, "textDocument", "textDocument");
  const std::string uri = requireString(document, "uri", "textDocument.uri");
  SourceFile* file = workspace_.findUri(uri);
  if (file == nullptr) {
    throw RequestError{ErrorCode::InvalidParams, formatText(Text::LspUnknownDocument, uri.c_str())};
  }
  return *file;
}

Answers::Cursor Answers::cursorOf(const Json& params) {
  Cursor cursor;
  cursor.file = &documentOf(params);
  const Json& place = requireObject(params, "position", "position");
  const std::uint32_t line = requireUnsigned(place, "line", "position.line");
  const std::uint32_t character = requireUnsigned(place, "character", "position.character");
  std::string text;
  if (!workspace_.readText(*cursor.file, text)) return cursor;
  const LineStarts lines(text);
  if (line >= lines.count()) return cursor;
  const std::string_view lineText = lines.line(text, line);
  std::size_t at = workspace_.columns().offsetOf(lineText, character, cursor.file->coding, encoding_);
  // A cursor just after a name stands on it.
  if ((at >= lineText.size() || !hasClass(lineText[at], kWordChar)) && at > 0 &&
      hasClass(lineText[at - 1], kWordChar)) {
    --at;
  }
  if (at >= lineText.size() || !hasClass(lineText[at], kWordChar)) return cursor;
  std::size_t begin = at, end = at;
  while (begin > 0 && hasClass(lineText[begin - 1], kWordChar)) --begin;
  while (end < lineText.size() && hasClass(lineText[end], kWordChar)) ++end;
  if (!hasClass(lineText[begin], kWordStart)) return cursor;
  cursor.name = std::string(lineText.substr(begin, end - begin));
  cursor.line = line + 1;
  cursor.column = static_cast<std::uint32_t>(begin + 1);
  cursor.at = index_.locate(*cursor.file, cursor.name, cursor.line, cursor.column);
  cursor.at.name = cursor.name;
  return cursor;
}

Json Answers::position(const SourceFile& file, SourcePlace place) {
  const std::uint32_t line = place.line > 0 ? place.line - 1 : 0;
  return Json{{"line", line},
              {"character", workspace_.clientColumn(file, place.line, place.column, encoding_)}};
}

Json Answers::range(const SourceFile& file, SourcePlace start, SourcePlace end) {
  return Json{{"start", position(file, start)}, {"end", position(file, end)}};
}

Json Answers::nameRange(const SourceFile& file, SourcePlace place, std::size_t length) {
  return range(file, place, after(place, length));
}

Json Answers::selectionOf(std::uint32_t record) {
  const FileDefinition& definition = index_.definitionOf(record);
  return nameRange(index_.fileOf(record), definition.place, definition.name.size());
}

Json Answers::location(const SourceFile& file, const Json& range) {
  return Json{{"uri", file.uri}, {"range", range}};
}

Json Answers::item(std::uint32_t record) {
  const FuncRecord& entry = index_.table().records()[record];
  const FileDefinition& definition = index_.definitionOf(record);
  const SourceFile& file = index_.fileOf(record);
  const Json selection = selectionOf(record);
  Json whole = selection;
  if (definition.end.line != 0 && definition.start.line != 0) {
    whole = range(file, definition.start, after(definition.end, 1));
  }
  Json item{{"name", definition.name},
            {"kind", symbolKind(definition.kind)},
            {"uri", file.uri},
            {"range", whole},
            {"selectionRange", selection},
            {"data",
             {{"path", file.path},
              {"line", definition.place.line},
              {"column", definition.place.column}}}};
  const std::string detail = detailOf(entry);
  if (!detail.empty()) item["detail"] = detail;
  return item;
}

// The record an item of an earlier answer stands for: by the place kept in its
// data, else by its document, name and line; none once it is defined no more.
std::optional<std::uint32_t> Answers::recordOfItem(const Json& params) {
  const Json& given = requireObject(params, "item", "item");
  const std::string name = requireString(given, "name", "item.name");
  SourceFile* file = nullptr;
  SourcePlace place;
  std::uint32_t line = 0;
  if (const Json* data = optionalMember(given, "data"); data != nullptr && data->is_object()) {
    if (const Json* path = optionalMember(*data, "path"); path != nullptr && path->is_string()) {
      file = workspace_.find(path->get<std::string>());
      auto number = [&](const char* key) -> std::uint32_t {
        const Json* value = optionalMember(*data, key);
        if (value == nullptr || !value->is_number_integer() || value->get<std::int64_t>() < 0 ||
            value->get<std::int64_t>() > 0x7FFFFFFF) {
          return 0;
        }
        return static_cast<std::uint32_t>(value->get<std::int64_t>());
      };
      place = SourcePlace{number("line"), number("column")};
      line = place.line;
    }
  }
  if (file == nullptr) {
    const std::string uri = requireString(given, "uri", "item.uri");
    file = workspace_.findUri(uri);
    if (file == nullptr) {
      throw RequestError{ErrorCode::InvalidParams,
                         formatText(Text::LspUnknownDocument, uri.c_str())};
    }
    const Json& selection = requireObject(given, "selectionRange", "item.selectionRange");
    const Json& start = requireObject(selection, "start", "item.selectionRange.start");
    line = requireUnsigned(start, "line", "item.selectionRange.start.line") + 1;
  }
  std::optional<std::uint32_t> sameName, sameLine;
  for (std::uint32_t r : index_.recordsOf(*file)) {
    const FileDefinition& definition = index_.definitionOf(r);
    if (definition.name != name) continue;
    if (definition.place == place) return r;
    if (!sameLine && definition.place.line == line) sameLine = r;
    if (!sameName) sameName = r;
  }
  return sameLine ? sameLine : sameName;
}

Json Answers::siteRanges(std::uint32_t caller, std::uint32_t name) {
  Json ranges = Json::array();
  const SourceFile& file = index_.fileOf(caller);
  const std::string_view text = index_.table().nameOf(name);
  for (const SourcePlace& place : index_.sitesCalling(caller, name)) {
    ranges.push_back(nameRange(file, place, text.size()));
  }
  return ranges;
}

Json Answers::prepareCallHierarchy(const Json& params) {
  Cursor cursor = cursorOf(params);
  if (cursor.name.empty()) return nullptr;
  const std::vector<std::uint32_t> targets = index_.targets(*cursor.file, cursor.at);
  if (targets.empty()) return nullptr;
  Json items = Json::array();
  for (std::uint32_t r : targets) items.push_back(item(r));
  return items;
}

Json Answers::incomingCalls(const Json& params) {
  Json calls = Json::array();
  const std::optional<std::uint32_t> record = recordOfItem(params);
  if (!record) return calls;
  const std::uint32_t name = index_.table().records()[*record].nameId;
  for (std::uint32_t caller : index_.graph().callers(*record)) {
    calls.push_back(Json{{"from", item(caller)}, {"fromRanges", siteRanges(caller, name)}});
  }
  return calls;
}

Json Answers::outgoingCalls(const Json& params) {
  Json calls = Json::array();
  const std::optional<std::uint32_t> record = recordOfItem(params);
  if (!record) return calls;
  FunctionTable& table = index_.table();
  for (const Call& call : index_.graph().calls(*record)) {
    if (call.count == 0) continue;
    const Json ranges = siteRanges(*record, call.name);
    for (std::uint32_t to : table.candidates(call.name, table.records()[*record])) {
      calls.push_back(Json{{"to", item(to)}, {"fromRanges", ranges}});
    }
  }
  return calls;
}

Json Answers::definition(const Json& params) {
  Cursor cursor = cursorOf(params);
  Json locations = Json::array();
  if (cursor.name.empty()) return locations;
  for (std::uint32_t r : index_.targets(*cursor.file, cursor.at)) {
    locations.push_back(location(index_.fileOf(r), selectionOf(r)));
  }
  return locations;
}

Json Answers::references(const Json& params) {
  Cursor cursor = cursorOf(params);
  Json locations = Json::array();
  if (cursor.name.empty()) return locations;
  bool declaration = false;
  if (const Json* context = optionalMember(params, "context")) {
    if (const Json* include = optionalMember(*context, "includeDeclaration")) {
      if (!include->is_boolean()) {
        throw RequestError{ErrorCode::InvalidParams,
                           formatText(Text::LspParamType, "context.includeDeclaration",
                                      textFormat(Text::LspTypeBoolean))};
      }
      declaration = include->get<bool>();
    }
  }
  const std::vector<std::uint32_t> targets = index_.targets(*cursor.file, cursor.at);
  const std::uint32_t name = index_.table().findName(cursor.name);
  auto addSite = [&](std::uint32_t caller, const SourcePlace& place) {
    locations.push_back(location(index_.fileOf(caller),
                                 nameRange(index_.fileOf(caller), place, cursor.name.size())));
  };
  for (std::uint32_t r : targets) {
    if (declaration) locations.push_back(location(index_.fileOf(r), selectionOf(r)));
    for (std::uint32_t caller : index_.graph().callers(r)) {
      for (const SourcePlace& place : index_.sitesCalling(caller, index_.table().records()[r].nameId)) {
        addSite(caller, place);
      }
    }
  }
  if (targets.empty() && name != SymbolTable::kNone && !cursor.at.indirect) {
    // A name defined nowhere: every place it is called.
    for (const SiteOf& site : index_.allSitesOf(cursor.name)) addSite(site.caller, site.place);
  }
  return locations;
}

// The definition's head: from its first line to the end of its parameter list, with
// the blanks between the lines folded.
std::string Answers::headLine(std::uint32_t record) {
  const FileDefinition& definition = index_.definitionOf(record);
  const SourceFile& file = index_.fileOf(record);
  std::string text;
  if (!workspace_.readText(file, text)) return definition.name;
  const LineStarts lines(text);
  const std::uint32_t first = definition.start.line ? definition.start.line : definition.place.line;
  std::string head;
  int depth = 0;
  bool opened = false;
  for (std::uint32_t line = first; line >= 1 && line < first + kMaxHeadLines; ++line) {
    std::string_view piece = lines.line(text, line - 1);
    if (line == first && definition.start.column > 0) {
      piece = piece.substr(std::min<std::size_t>(definition.start.column - 1, piece.size()));
    }
    bool done = false;
    std::size_t keep = piece.size();
    for (std::size_t i = 0; i < piece.size(); ++i) {
      const bool pastName = line > definition.place.line ||
                            (line == definition.place.line && i + 1 >= definition.place.column);
      if (piece[i] == '{' && pastName) {
        keep = i;
        done = true;
        break;
      }
      if (piece[i] == '(' && pastName) {
        ++depth;
        opened = true;
      } else if (piece[i] == ')' && pastName && --depth == 0 && opened) {
        keep = i + 1;
        done = true;
        break;
      }
    }
    piece = piece.substr(0, keep);
    while (!piece.empty() && (hasClass(piece.back(), kSpace) || piece.back() == '\\')) {
      piece.remove_suffix(1);
    }
    while (!piece.empty() && hasClass(piece.front(), kSpace)) piece.remove_prefix(1);
    if (!piece.empty()) {
      if (!head.empty()) head += ' ';
      head.append(piece);
    }
    if (done || head.size() > kMaxHeadBytes || line >= lines.count()) break;
  }
  if (head.size() > kMaxHeadBytes) head.resize(kMaxHeadBytes);
  return asUtf8(head, file.coding);
}

std::string Answers::shownPath(const SourceFile& file) const {
  for (const std::string& root : workspace_.roots()) {
    if (file.path.size() > root.size() + 1 && file.path.compare(0, root.size(), root) == 0 &&
        file.path[root.size()] == '/') {
      return file.path.substr(root.size() + 1);
    }
  }
  return file.path;
}

Json Answers::hover(const Json& params) {
  Cursor cursor = cursorOf(params);
  if (cursor.name.empty()) return nullptr;
  const std::vector<std::uint32_t> targets = index_.targets(*cursor.file, cursor.at);
  if (targets.empty()) return nullptr;
  const std::uint32_t record = targets.front();
  const FuncRecord& entry = index_.table().records()[record];
  const SourceFile& file = index_.fileOf(record);
  std::string value = "```c\n" + headLine(record) + "\n```\n";
  if (entry.comment && !entry.comment->empty()) {
    value += "\n" + asUtf8(*entry.comment, file.coding) + "\n";
  }
  std::size_t callees = index_.graph().calls(record).size();
  value += "\n" + shownPath(file) + ":" + std::to_string(index_.definitionOf(record).place.line);
  const std::string detail = detailOf(entry);
  if (!detail.empty()) value += " (" + detail + ")";
  value += " \xC2\xB7 " + formatText(Text::LspHoverCounts, index_.graph().callers(record).size(),
                                      callees);
  if (targets.size() > 1) value += " \xC2\xB7 " + formatText(Text::LspHoverOneOf, std::size_t{1},
                                                             targets.size());
  value += "\n";
  return Json{{"contents", {{"kind", "markdown"}, {"value", value}}},
              {"range", nameRange(*cursor.file, SourcePlace{cursor.line, cursor.column},
                                  cursor.name.size())}};
}

Json Answers::documentSymbol(const Json& params) {
  SourceFile& file = documentOf(params);
  Json symbols = Json::array();
  for (const FileDefinition& definition : file.facts.definitions) {
    const Json selection = nameRange(file, definition.place, definition.name.size());
    Json whole = selection;
    if (definition.end.line != 0 && definition.start.line != 0) {
      whole = range(file, definition.start, after(definition.end, 1));
    }
    Json symbol{{"name", definition.name},
                {"kind", symbolKind(definition.kind)},
                {"range", whole},
                {"selectionRange", selection}};
    std::string detail;
    if (definition.isStatic) detail = text(Text::LspWordStatic);
    if (definition.kind == DefinitionKind::Macro) {
      detail += detail.empty() ? "" : " ";
      detail += text(Text::LspWordMacro);
    }
    if (!detail.empty()) symbol["detail"] = detail;
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

Json Answers::workspaceSymbol(const Json& params) {
  const std::string query = requireString(params, "query", "query");
  struct Match {
    std::size_t rank;
    std::uint32_t record;
  };
  std::vector<Match> matches;
  const auto& records = index_.table().records();
  for (const FuncRecord& record : records) {
    if (std::optional<std::size_t> rank = matchRank(record.name, query)) {
      matches.push_back({*rank, record.index});
    }
  }
  auto better = [&](const Match& a, const Match& b) {
    const FuncRecord& x = records[a.record];
    const FuncRecord& y = records[b.record];
    return std::tuple(a.rank, x.name.size(), x.name, x.filename, index_.definitionOf(a.record).place.line) <
           std::tuple(b.rank, y.name.size(), y.name, y.filename, index_.definitionOf(b.record).place.line);
  };
  const std::size_t kept = std::min(matches.size(), kMaxWorkspaceSymbols);
  std::partial_sort(matches.begin(), matches.begin() + kept, matches.end(), better);
  Json symbols = Json::array();
  for (std::size_t i = 0; i < kept; ++i) {
    const std::uint32_t r = matches[i].record;
    const SourceFile& file = index_.fileOf(r);
    symbols.push_back(Json{{"name", std::string(records[r].name)},
                           {"kind", symbolKind(records[r].kind)},
                           {"location", location(file, selectionOf(r))},
                           {"containerName", shownPath(file)}});
  }
  return symbols;
}

}  // namespace quenwick
