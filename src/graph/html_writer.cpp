#include "graph/html_writer.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "config/texts.h"
#include "graph/escape.h"
#include "graph/json_text.h"
#include "graph/page_files.h"
#include "platform/byte_class.h"

namespace quenwick {

namespace {

constexpr char kLastDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
constexpr char kMoreDigits[] = "WXYZabcdefghijklmnopqrstuvwxyz-_";
constexpr std::uint32_t kAbsent = UINT32_MAX;

/// A signed difference as a number: 0, -1, 1, -2, 2... become 0, 1, 2, 3, 4...
std::uint64_t zigzag(std::int64_t value) {
  return value >= 0 ? static_cast<std::uint64_t>(value) * 2
                    : static_cast<std::uint64_t>(-(value + 1)) * 2 + 1;
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

  void write() {
    writeHead();
    writeFiles();
    writeNames();
    writeLines();
    writeCaptions();
    writeCalls();
    writeRoots();
    data_.raw("}");
  }

 private:
  const FuncRecord& record(std::uint32_t r) const { return table_.records()[r]; }

  void writeHead() {
    const GraphOptions& options = view_.options;
    const Settings& settings = page_.settings;
    std::string_view version = text(Text::GraphVersion);
    data_.raw("{\"format\":1,\"generator\":").string(version.substr(0, version.size() - 1));
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
      data_.stringPart(record(shown_[i]).name, true);
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

  // The records with a caption, each as the difference from the one before, and
  // their captions in the same order.
  void writeCaptions() {
    std::vector<std::uint32_t> captioned;
    data_.raw(",\n\"captions\":[");
    for (std::uint32_t i = 0; i < shown_.size(); ++i) {
      const FuncRecord& r = record(shown_[i]);
      if (!r.comment || r.comment->empty()) continue;
      if (!captioned.empty()) data_.raw(",");
      data_.string(*r.comment);
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

  // For each record its number of calls, then each call: a record as the zigzag
  // difference from the caller times 2; a name without definition as 4u+1 and a name
  // with several as 4u+3, u being its place in "otherNames".
  void writeCalls() {
    const CallGraph& graph = view_.graph;
    const Selection& selection = view_.selection;
    data_.raw(",\n\"calls\":\"");
    std::vector<std::uint64_t> codes;
    for (std::uint32_t r : shown_) {
      codes.clear();
      const std::int64_t self = pageIndex_[r];
      for (const Call& call : graph.calls(r)) {
        if (call.count == 1) {
          if (!selection.edge(r, call.definition)) continue;
          codes.push_back(zigzag(static_cast<std::int64_t>(pageIndex_[call.definition]) - self) *
                          2);
        } else if (call.count == 0 ? selection.undefinedEdge(r)
                                   : selection.ambiguousEdge(r, call.name)) {
          codes.push_back(std::uint64_t{otherName(call.name)} * 4 + (call.count == 0 ? 1 : 3));
        }
      }
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
    data_.raw("\"");
  }

  std::uint32_t otherName(std::uint32_t name) {
    if (otherIndex_[name] == kAbsent) {
      otherIndex_[name] = static_cast<std::uint32_t>(otherNames_.size());
      otherNames_.push_back(name);
    }
    return otherIndex_[name];
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
  const FunctionTable& table_;
  JsonText data_;
  std::vector<std::uint32_t> shown_;       // the records of the page, in table order
  std::vector<std::uint32_t> pageIndex_;   // by record: its place in `shown_`
  std::vector<std::uint32_t> otherIndex_;  // by name key: its place in `otherNames_`
  std::vector<std::uint32_t> otherNames_;  // called names without one definition, first met first
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

/// Writes one line of page.html: a style sheet or a script taken in, the data, or
/// the line as it is.
void writeTemplateLine(std::string_view line, const GraphView& view, const PageInput& page,
                       OutStream& out) {
  std::string_view trimmed = line;
  while (!trimmed.empty() && hasClass(trimmed.front(), kSpace)) {
    trimmed.remove_prefix(1);
  }
  if (trimmed == kDataLine) {
    out.write(kDataLine.substr(0, kDataLine.find('>') + 1));
    PageData(view, page, out).write();
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
  while (!html.empty()) {
    const std::size_t end = html.find('\n');
    writeTemplateLine(html.substr(0, end), view, page, out);
    if (end == std::string_view::npos) break;
    html.remove_prefix(end + 1);
  }
}

}  // namespace quenwick
