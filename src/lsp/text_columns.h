// Columns as the protocol counts them. The scan counts bytes; a client counts UTF-16
// code units (the default) or UTF-8 bytes of the text it shows, which for a code
// page 932 file is the text converted to Unicode.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quenwick {

class Utf8Converter;

/// How the client counts the characters of a line.
enum class PositionEncoding : std::uint8_t { Utf16, Utf8 };

/// How the bytes of a text are to be read.
enum class TextCoding : std::uint8_t { Utf8, Cp932 };

/// Converts between byte offsets within a line and the client's columns.
class ColumnMapper {
 public:
  ColumnMapper();
  ~ColumnMapper();
  ColumnMapper(const ColumnMapper&) = delete;
  ColumnMapper& operator=(const ColumnMapper&) = delete;

  /// The client's column of the byte offset `offset` of `line` (0-based both). An
  /// offset inside a character counts as that character's start; one past the end
  /// counts as the end of the line.
  std::uint32_t columnOf(std::string_view line, std::size_t offset, TextCoding coding,
                         PositionEncoding encoding);
  /// The byte offset of the client's column `column` of `line`: the start of the
  /// character at that column, or the end of the line when it is beyond it.
  std::size_t offsetOf(std::string_view line, std::uint32_t column, TextCoding coding,
                       PositionEncoding encoding);

 private:
  // The length in bytes of the character at the start of `rest`, and its width in
  // the client's units.
  void measure(std::string_view rest, TextCoding coding, PositionEncoding encoding,
               std::size_t& bytes, std::uint32_t& units);

  std::unique_ptr<Utf8Converter> cp932_;  // for the double-byte characters of code page 932
};

/// The start offsets of the lines of a text: a line ends after each "\n".
class LineStarts {
 public:
  /// The lines of `text`.
  explicit LineStarts(std::string_view text);
  /// The number of lines (at least 1).
  std::size_t count() const { return starts_.size(); }
  /// Line `line` (0-based) of `text` without its line end; empty beyond the last.
  std::string_view line(std::string_view text, std::size_t line) const;
  /// The offset where line `line` starts; the end of `text` beyond the last line.
  std::size_t start(std::string_view text, std::size_t line) const;

 private:
  std::vector<std::size_t> starts_;
};


}  // namespace quenwick
