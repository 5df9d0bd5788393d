#include "lsp/text_columns.h"

#include "platform/byte_class.h"
#include "platform/utf8.h"

namespace quenwick {

namespace {

// UTF-16 code units of the UTF-8 sequences in `utf8` (valid UTF-8).
std::uint32_t utf16Units(std::string_view utf8) {
  std::uint32_t units = 0;
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

}  // namespace

ColumnMapper::ColumnMapper() : cp932_(std::make_unique<Utf8Converter>(true)) {}

ColumnMapper::~ColumnMapper() = default;

// A byte that starts no well-formed character stands for U+FFFD, one unit wide in
// UTF-16 and three bytes in UTF-8, as an editor shows it.
void ColumnMapper::measure(std::string_view rest, TextCoding coding, PositionEncoding encoding,
                           std::size_t& bytes, std::uint32_t& units) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  if (lead < 0x80) {
    bytes = 1;
    units = 1;
    return;
  }
  if (coding == TextCoding::Utf8) {
    bytes = utf8SequenceLength(rest);
    if (bytes == 0) {
      bytes = 1;
      units = encoding == PositionEncoding::Utf8 ? 3 : 1;
      return;
    }
    units = encoding == PositionEncoding::Utf8 ? static_cast<std::uint32_t>(bytes)
                                               : utf16Units(rest.substr(0, bytes));
    return;
  }
  bytes = rest.size() >= 2 && isCp932Lead(lead) && isCp932Trail(static_cast<unsigned char>(rest[1]))
              ? 2
              : 1;
  if (encoding == PositionEncoding::Utf16) {
    units = 1;  // every character of code page 932 lies in the Basic Multilingual Plane
    return;
  }
  const std::string utf8 = cp932_->convert(rest.substr(0, bytes));
  units = static_cast<std::uint32_t>(utf8.size());
}

std::uint32_t ColumnMapper::columnOf(std::string_view line, std::size_t offset, TextCoding coding,
                                     PositionEncoding encoding) {
  std::uint32_t column = 0;
  std::size_t at = 0;
  while (at < offset && at < line.size()) {
    std::size_t bytes;
    std::uint32_t units;
    measure(line.substr(at), coding, encoding, bytes, units);
    if (at + bytes > offset) break;  // inside this character: its start
    at += bytes;
    column += units;
  }
  return column;
}

std::size_t ColumnMapper::offsetOf(std::string_view line, std::uint32_t column, TextCoding coding,
                                   PositionEncoding encoding) {
  std::uint32_t counted = 0;
  std::size_t at = 0;
  while (at < line.size() && counted < column) {
    std::size_t bytes;
    std::uint32_t units;
    measure(line.substr(at), coding, encoding, bytes, units);
    if (counted + units > column) break;  // the column is inside this character
    at += bytes;
    counted += units;
  }
  return at;
}

LineStarts::LineStarts(std::string_view text) {
  starts_.push_back(0);
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    starts_.push_back(at + 1);
  }
}

std::size_t LineStarts::start(std::string_view text, std::size_t line) const {
  return line < starts_.size() ? starts_[line] : text.size();
}

std::string_view LineStarts::line(std::string_view text, std::size_t line) const {
  if (line >= starts_.size()) return {};
  const std::size_t begin = starts_[line];
  std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] - 1 : text.size();
  if (end > begin && text[end - 1] == '\r') --end;
  return text.substr(begin, end - begin);
}

}  // namespace quenwick
