#include "graph/html_writer.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "config/texts.h"
#include "graph/escape.h"
#include "graph/json_text.h"
#include "graph/page_files.h"
#include "platform/byte_class.h"
#include "platform/directory.h"

namespace quenwick {

namespace {

constexpr char kLastDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
constexpr char kMoreDigits[] = "WXYZabcdefghijklmnopqrstuvwxyz-_";
constexpr std::uint32_t kAbsent = UINT32_MAX;
constexpr std::size_t kSiteBlock = 256;  // records between two starts in "siteBlocks"
// A browser reads a long text faster in many elements than in one: the data goes
// into elements of kDataChunk bytes, the first with its id, the rest after it with
// its name as their class; the page joins their texts.
constexpr std::size_t kDataChunk = 256 * 1024;
constexpr std::string_view kDataNext =
    "</script>\n<script type=\"application/json\" class=\"graph-data\">";
constexpr std::string_view kSitesNext =
    "</script>\n<script type=\"application/json\" class=\"graph-sites\">";

/// A signed difference as a number: 0, -1, 1, -2, 2... become 0, 1, 2, 3, 4...
std::uint64_t zigzag(std::int64_t value) {
  return value >= 0 ? static_cast<std::uint64_t>(value) * 2
                    : static_cast<std::uint64_t>(-(value + 1)) * 2 + 1;
}

/// The longest start of `a` and `b` that ends with a path separator ("" when none).
std::string_view commonFolder(std::string_view a, std::string_view b) {
  std::size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  while (same > 0 && !isPathSeparator(a[same - 1])) --same;
  return a.substr(0, same);
}

/// The folder that holds every file of `table`, as its names start: "" when they
/// have no folder in common.
std::string_view inputFolder(const FunctionTable& table) {
  std::string_view folder;
  std::uint32_t lastFile = kAbsent;
  bool first = true;
  for (const FuncRecord& record : table.records()) {
    if (record.fileId == lastFile) continue;
    lastFile = record.fileId;
    folder = first ? commonFolder(record.filename, record.filename) : commonFolder(folder, record.filename);
    first = false;
    if (folder.empty()) break;
  }
  return folder;
}

std::string_view pageFile(std::string_view name) {
  for (const PageFile& file : pageFiles()) {
    if (file.name == name) return file.text;
  }
  return {};
}

/// Writes the data of the page: the shown records, renumbered in table order, with
/// their calls.
class PageData {
 public:
  PageData(const GraphView& view, const PageInput& page, OutStream& out)
      : view_(view), page_(page), table_(view.graph.table()), data_(view.utf8, out, true) {
    const std::uint32_t n = view.graph.size();
    pageIndex_.assign(n, kAbsent);
    for (std::uint32_t r = 0; r < n; ++r) {
      if (!view.selection.shown[r]) continue;
      pageIndex_[r] = static_cast<std::uint32_t>(shown_.size());
      shown_.push_back(r);
    }
    otherIndex_.assign(table_.nameCount(), kAbsent);
  }

  /// Writes the data of the element "graph-data", and of the elements that continue it.
  void write() {
    data_.splitEvery(kDataChunk, kDataNext);
    writeHead();
    writeFiles();
    writeNames();
    writeLines();
    writePlaces();
    writeKinds();
    writeCaptions();
    writeCalls();
    writeRoots();
    data_.raw("}");
    data_.flush();
  }

  /// Writes the data of the element "graph-sites", after `write`: the places of
  /// the calls, which the page reads once it has shown its first view.
  void writeSitesData() {
    data_.splitEvery(kDataChunk, kSitesNext);
    data_.raw("{");
    writeSites();
    data_.raw("}");
    data_.flush();
  }

 private:
  const FuncRecord& record(std::uint32_t r) const { return table_.records()[r]; }

  void writeHead() {
    const GraphOptions& options = view_.options;
    const Settings& settings = page_.settings;
    std::string_view version = text(Text::GraphVersion);
    data_.raw("{\"format\":2,\"generator\":").string(version.substr(0, version.size() - 1));
    data_.raw(",\n\"query\":{\"root\":").strings(options.roots, ",");
    data_.raw(",\"callers\":").strings(options.callers, ",");
    data_.raw(",\"target\":").strings(options.targets, ",");
    data_.raw(",\"depth\":");
    if (options.depth) {
      data_.raw(std::to_string(*options.depth));
    } else {
      data_.raw("null");
    }
    data_.raw("},\n\"markers\":{\"recursion\":").string(settings.recursion);
    data_.raw(",\"expanded\":").string(settings.expanded);
    data_.raw(",\"multi\":").string(settings.multi);
    data_.raw(",\"nobelong\":").string(settings.nobelong);
    data_.raw(",\"multibelong\":").string(settings.multibelong);
    data_.raw("},\n\"repeatMarked\":").raw(page_.options.markExpanded ? "true" : "false");
    data_.raw(",\n\"link\":");
    if (options.link) {
      data_.string(*options.link);
    } else {
      data_.raw("null");
    }
    // Names are shown without the folder that holds every input; that folder as an
    // absolute path makes the full path of each.
    const std::string_view folder = inputFolder(table_);
    data_.raw(",\n\"folder\":").string(folder);
    data_.raw(",\"folderPath\":").string(absolutePath(std::string(folder)));
    data_.raw(",\"separators\":").string(isPathSeparator('\\') ? "/\\" : "/");
  }

  // File names once each, in the order first met, and for the records in order,
  // runs of (file, number of records).
  void writeFiles() {
    std::vector<std::uint32_t> fileOf;  // page file of each file key
    std::vector<std::uint32_t> files;   // a record of each page file
    std::vector<std::uint32_t> runs;    // file, count, file, count...
    for (std::uint32_t r : shown_) {
      const std::uint32_t key = record(r).fileId;
      if (fileOf.size() <= key) fileOf.resize(key + 1, kAbsent);
      if (fileOf[key] == kAbsent) {
        fileOf[key] = static_cast<std::uint32_t>(files.size());
        files.push_back(r);
      }
      if (!runs.empty() && runs[runs.size() - 2] == fileOf[key]) {
        ++runs.back();
      } else {
        runs.push_back(fileOf[key]);
        runs.push_back(1);
      }
    }
    data_.raw(",\n\"files\":[");
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (i > 0) data_.raw(",");
      data_.string(record(files[i]).filename);
    }
    data_.raw("],\n\"fileRuns\":\"");
    for (std::uint32_t value : runs)
      data_.append([&](std::string& text) { appendPageNumber(value, text); });
    data_.raw("\"");
  }

  void writeNames() {
    data_.raw(",\n\"names\":\"");
    for (std::size_t i = 0; i < shown_.size(); ++i) {
      if (i > 0) data_.raw("\\n");
      const FuncRecord& r = record(shown_[i]);
      data_.stringPart(r.name, view_.textsOf(r), true);
    }
    data_.raw("\"");
  }

  // Each line as the difference from the line of the record before it.
  void writeLines() {
    data_.raw(",\n\"lines\":\"");
    std::int64_t previous = 0;
    for (std::uint32_t r : shown_) {
      data_.append(
          [&](std::string& text) { appendPageNumber(zigzag(record(r).lines - previous), text); });
      previous = record(r).lines;
      data_.pieceDone();
    }
    data_.raw("\"");
  }

  // The column of each record's name, when the scan knew any; the other places of
  // the records that have some (a definition in several branches of a conditional):
  // the record as the difference from the one before, the number of places, and
  // each place as its line's difference from the record's line and its column.
  void writePlaces() {
    const bool columns = std::any_of(shown_.begin(), shown_.end(),
                                     [&](std::uint32_t r) { return record(r).column != 0; });
    data_.raw(",\n\"columns\":\"");
    for (std::size_t i = 0; columns && i < shown_.size(); ++i) {
      data_.append([&](std::string& text) { appendPageNumber(record(shown_[i]).column, text); });
      data_.pieceDone();
    }
    data_.raw("\",\n\"morePlaces\":\"");
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < shown_.size(); ++i) {
      const FuncRecord& r = record(shown_[i]);
      const std::span<const SourcePlace> places = table_.morePlaces(r);
      if (places.empty()) continue;
      data_.append([&](std::string& text) {
        appendPageNumber(i - previous, text);
        appendPageNumber(places.size(), text);
        for (const SourcePlace& place : places) {
          appendPageNumber(zigzag(std::int64_t{place.line} - r.lines), text);
          appendPageNumber(place.column, text);
        }
      });
      previous = i;
    }
    data_.raw("\"");
  }

  // The macros, the static functions and the records whose name is defined more than
  // once, each as the difference from the one before.
  void writeKinds() {
    const auto writeMarked = [&](const char* key, auto&& marked) {
      data_.raw(",\n\"").raw(key).raw("\":\"");
      std::uint32_t previous = 0;
      for (std::uint32_t i = 0; i < shown_.size(); ++i) {
        if (!marked(record(shown_[i]))) continue;
        data_.append([&](std::string& text) { appendPageNumber(i - previous, text); });
        previous = i;
      }
      data_.raw("\"");
    };
    writeMarked("macros", [](const FuncRecord& r) { return r.kind == DefinitionKind::Macro; });
    writeMarked("statics", [](const FuncRecord& r) { return r.isStatic; });
    // The records whose name has another definition in the page: the page finds
    // the definitions of the other names without an index of all names.
    std::vector<std::uint8_t> seen(table_.nameCount(), 0);
    for (std::uint32_t r : shown_) seen[record(r).nameId] = std::min(seen[record(r).nameId] + 1, 2);
    writeMarked("repeated", [&](const FuncRecord& r) { return seen[r.nameId] > 1; });
  }

  // The records with a caption, each as the difference from the one before, and
  // their captions in the same order.
  void writeCaptions() {
    std::vector<std::uint32_t> captioned;
    data_.raw(",\n\"captions\":[");
    for (std::uint32_t i = 0; i < shown_.size(); ++i) {
      const FuncRecord& r = record(shown_[i]);
      if (!r.comment || r.comment->empty()) continue;
      if (!captioned.empty()) data_.raw(",");
      data_.string(*r.comment, view_.textsOf(r));
      captioned.push_back(i);
    }
    data_.raw("],\n\"captioned\":\"");
    std::uint32_t previous = 0;
    for (std::uint32_t i : captioned) {
      data_.append([&](std::string& text) { appendPageNumber(i - previous, text); });
      previous = i;
    }
    data_.raw("\"");
  }

  /// Calls `visit(call, code)` for each call of the record `r` that the page shows,
  /// in call order; `code` is the call as the page writes it.
  template <typename Visit>
  void forEachCall(std::uint32_t r, Visit&& visit) {
    const CallGraph& graph = view_.graph;
    const Selection& selection = view_.selection;
    const std::int64_t self = pageIndex_[r];
    for (const Call& call : graph.calls(r)) {
      if (call.count == 1) {
        if (!selection.edge(r, call.definition)) continue;
        visit(call, zigzag(static_cast<std::int64_t>(pageIndex_[call.definition]) - self) * 2);
      } else if (call.count == 0 ? selection.undefinedEdge(r)
                                 : selection.ambiguousEdge(r, call.name)) {
        const std::uint32_t other = call.count == 0 ? undefinedName(call.name) : severalName(r, call);
        visit(call, std::uint64_t{other} * 4 + (call.count == 0 ? 1 : 3));
      }
    }
  }

  // For each record its number of calls, then each call: a record as the zigzag
  // difference from the caller times 2; a name without definition as 4u+1 and a name
  // with several as 4u+3, u being its place in "otherNames". A name with several
  // definitions has one place for each set of candidates it resolves to; "otherSets"
  // lists each place's candidates shown in the page (none for a name without
  // definition): their number, then each as the difference from the one before.
  void writeCalls() {
    data_.raw(",\n\"calls\":\"");
    std::vector<std::uint64_t> codes;
    for (std::uint32_t r : shown_) {
      codes.clear();
      forEachCall(r, [&](const Call&, std::uint64_t code) { codes.push_back(code); });
      data_.append([&](std::string& text) { appendPageNumber(codes.size(), text); });
      for (std::uint64_t code : codes)
        data_.append([&](std::string& text) { appendPageNumber(code, text); });
      data_.pieceDone();
    }
    data_.raw("\",\n\"otherNames\":\"");
    for (std::size_t i = 0; i < otherNames_.size(); ++i) {
      if (i > 0) data_.raw("\\n");
      data_.stringPart(table_.nameOf(otherNames_[i]), true);
    }
    data_.raw("\",\n\"otherSets\":\"");
    for (const std::vector<std::uint32_t>& candidates : otherSets_) {
      data_.append([&](std::string& text) {
        appendPageNumber(std::count_if(candidates.begin(), candidates.end(),
                                       [&](std::uint32_t r) { return pageIndex_[r] != kAbsent; }),
                         text);
        std::uint32_t previous = 0;
        for (std::uint32_t r : candidates) {
          if (pageIndex_[r] == kAbsent) continue;
          appendPageNumber(pageIndex_[r] - previous, text);
          previous = pageIndex_[r];
        }
      });
      data_.pieceDone();
    }
    data_.raw("\"");
  }

  // Where each call is made, when the scan knew it ("" when it knew no place): for
  // each record the number of places that follow, and when there are any, for each
  // of its calls in order the number of its places, then each place as its line's
  // difference from the line before (the record's line first) and its column.
  // "siteBlocks" holds where the entry of every kSiteBlock-th record starts in the
  // text, each as the difference from the one before, so that the page reads the
  // places of a record without reading those of all the records before it.
  void writeSites() {
    data_.raw("\"sites\":\"");
    const bool any = std::any_of(shown_.begin(), shown_.end(), [&](std::uint32_t r) {
      return !table_.sites(record(r)).empty();
    });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byName;  // (callee key, place in sites)
    std::vector<std::uint64_t> numbers;
    std::vector<std::uint64_t> blocks;  // where every kSiteBlock-th record starts
    std::uint64_t written = 0;          // characters of the text so far
    for (std::size_t i = 0; any && i < shown_.size(); ++i) {
      if (i % kSiteBlock == 0) blocks.push_back(written);
      const std::uint32_t r = shown_[i];
      const FuncRecord& caller = record(r);
      const std::span<const TableSite> sites = table_.sites(caller);
      byName.clear();
      for (std::uint32_t at = 0; at < sites.size(); ++at) {
        if (!sites[at].indirect) byName.emplace_back(sites[at].name, at);
      }
      std::sort(byName.begin(), byName.end());
      numbers.clear();
      std::uint64_t total = 0;
      forEachCall(r, [&](const Call& call, std::uint64_t) {
        auto at = std::lower_bound(byName.begin(), byName.end(), std::make_pair(call.name, 0u));
        const std::size_t countAt = numbers.size();
        numbers.push_back(0);
        std::int64_t line = caller.lines;
        for (; at != byName.end() && at->first == call.name; ++at) {
          const SourcePlace& place = sites[at->second].place;
          numbers.push_back(zigzag(std::int64_t{place.line} - line));
          numbers.push_back(place.column);
          line = place.line;
          ++numbers[countAt];
          ++total;
        }
      });
      data_.append([&](std::string& text) {
        const std::size_t before = text.size();
        appendPageNumber(total, text);
        for (std::size_t n = 0; total > 0 && n < numbers.size(); ++n) appendPageNumber(numbers[n], text);
        written += text.size() - before;
      });
      data_.pieceDone();
    }
    data_.raw("\",\n\"siteBlock\":").number(kSiteBlock).raw(",\"siteBlocks\":\"");
    std::uint64_t previous = 0;
    for (std::uint64_t offset : blocks) {
      data_.append([&](std::string& text) { appendPageNumber(offset - previous, text); });
      previous = offset;
    }
    data_.raw("\"");
  }

  std::uint32_t undefinedName(std::uint32_t name) {
    if (otherIndex_[name] == kAbsent) {
      otherIndex_[name] = static_cast<std::uint32_t>(otherNames_.size());
      otherNames_.push_back(name);
      otherSets_.emplace_back();
    }
    return otherIndex_[name];
  }

  /// The place in "otherNames" of the call of `call.name`, with several candidate
  /// definitions, from the record `r`: one place for each set of candidates. The
  /// candidates are those of the caller's own file, or else those that every file
  /// sees, the same for all callers but one of the name itself (a macro does not
  /// see itself).
  std::uint32_t severalName(std::uint32_t r, const Call& call) {
    const FuncRecord& caller = record(r);
    FuncRecord* first = nullptr;
    table_.resolveCallee(call.name, caller, first);
    const bool own = first != nullptr && first->fileId == caller.fileId;
    const bool shared = caller.nameId != call.name || own;
    const std::uint64_t key = (std::uint64_t{call.name} << 32) | (own ? caller.fileId : kAbsent);
    if (shared) {
      auto known = severalByKey_.find(key);
      if (known != severalByKey_.end()) return known->second;
    }
    const auto place = static_cast<std::uint32_t>(otherNames_.size());
    otherNames_.push_back(call.name);
    otherSets_.push_back(table_.candidates(call.name, caller));
    if (shared) severalByKey_.emplace(key, place);
    return place;
  }

  // The roots of the trees of the query (the last ones are those of --callers),
  // and the records whose callees the tree does not list.
  void writeRoots() {
    const std::vector<std::uint32_t>& roots = view_.selection.roots;
    const std::size_t callerRoots = std::min(page_.callerRoots.size(), roots.size());
    data_.raw(",\n\"roots\":\"");
    for (std::size_t i = 0; i + callerRoots < roots.size(); ++i)
      data_.append([&](std::string& text) { appendPageNumber(pageIndex_[roots[i]], text); });
    data_.raw("\",\n\"callerRoots\":\"");
    for (std::size_t i = roots.size() - callerRoots; i < roots.size(); ++i) {
      data_.append([&](std::string& text) { appendPageNumber(pageIndex_[roots[i]], text); });
    }
    data_.raw("\",\n\"leaves\":\"");
    if (!page_.leafList.empty()) {
      std::uint32_t previous = 0;
      for (std::uint32_t i = 0; i < shown_.size(); ++i) {
        if (!page_.leafList.containsName(record(shown_[i]).name)) continue;
        data_.append([&](std::string& text) { appendPageNumber(i - previous, text); });
        previous = i;
      }
    }
    data_.raw("\"\n");
  }

  const GraphView& view_;
  const PageInput& page_;
  FunctionTable& table_;
  JsonText data_;
  std::vector<std::uint32_t> shown_;       // the records of the page, in table order
  std::vector<std::uint32_t> pageIndex_;   // by record: its place in `shown_`
  std::vector<std::uint32_t> otherIndex_;  // by name key: its place in `otherNames_`
  std::vector<std::uint32_t> otherNames_;  // called names without one definition, first met first
  std::vector<std::vector<std::uint32_t>> otherSets_;  // by place in `otherNames_`: candidates
  std::unordered_map<std::uint64_t, std::uint32_t> severalByKey_;  // (name, own file or none): place
};

/// The file that a line of page.html pulls in, and the element it becomes.
struct Inlined {
  std::string_view prefix;  // the line's text before the file name
  std::string_view suffix;  // after it
  std::string_view open;    // the element that holds the file in the page
  std::string_view close;
};

constexpr Inlined kInlined[] = {
    {"<link rel=\"stylesheet\" href=\"", "\">", "<style>\n", "</style>\n"},
    {"<script src=\"", "\"></script>", "<script>\n", "</script>\n"},
};

constexpr std::string_view kDataLine =
    "<script type=\"application/json\" id=\"graph-data\"></script>";
constexpr std::string_view kSitesLine =
    "<script type=\"application/json\" id=\"graph-sites\"></script>";

/// Writes one line of page.html: a style sheet or a script taken in, the data, the
/// places of the calls, or the line as it is.
void writeTemplateLine(std::string_view line, PageData& data, OutStream& out) {
  std::string_view trimmed = line;
  while (!trimmed.empty() && hasClass(trimmed.front(), kSpace)) {
    trimmed.remove_prefix(1);
  }
  if (trimmed == kDataLine || trimmed == kSitesLine) {
    out.write(trimmed.substr(0, trimmed.find('>') + 1));
    if (trimmed == kDataLine) {
      data.write();
    } else {
      data.writeSitesData();
    }
    out.write("</script>\n");
    return;
  }
  for (const Inlined& inlined : kInlined) {
    if (!trimmed.starts_with(inlined.prefix) || !trimmed.ends_with(inlined.suffix)) continue;
    std::string_view name = trimmed.substr(
        inlined.prefix.size(), trimmed.size() - inlined.prefix.size() - inlined.suffix.size());
    out.write(inlined.open);
    out.write(pageFile(name));
    out.write(inlined.close);
    return;
  }
  out.write(line);
  out.put('\n');
}

}  // namespace

void appendPageNumber(std::uint64_t value, std::string& out) {
  char digits[16];
  std::size_t count = 0;
  digits[count++] = kLastDigits[value & 31];
  for (value >>= 5; value != 0; value >>= 5) digits[count++] = kMoreDigits[value & 31];
  while (count > 0) out.push_back(digits[--count]);
}

void writeHtml(const GraphView& view, const PageInput& page, OutStream& out) {
  std::string_view html = pageFile("page.html");
  PageData data(view, page, out);
  while (!html.empty()) {
    const std::size_t end = html.find('\n');
    writeTemplateLine(html.substr(0, end), data, out);
    if (end == std::string_view::npos) break;
    html.remove_prefix(end + 1);
  }
}

}  // namespace quenwick
