// A JSON text built in pieces and handed to a stream as it grows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/out_stream.h"
#include "platform/utf8.h"

namespace quenwick {

/// JSON written to `out` in large pieces. Every text goes through `string`, which
/// makes it UTF-8 and escapes it; for a text inside an HTML page it is escaped so
/// that it can neither end the element that holds it nor open a comment there.
class JsonText {
 public:
  /// A text for `out`, with source texts made UTF-8 by `utf8`.
  JsonText(Utf8Converter& utf8, OutStream& out, bool forHtml = false)
      : utf8_(utf8), out_(out), forHtml_(forHtml) {}
  ~JsonText() { flush(); }
  JsonText(const JsonText&) = delete;
  JsonText& operator=(const JsonText&) = delete;

  /// Appends `text` as it is.
  JsonText& raw(std::string_view text) {
    text_.append(text);
    return *this;
  }
  /// Appends `value` in decimal.
  JsonText& number(std::uint64_t value) {
    text_.append(std::to_string(value));
    return *this;
  }
  /// Appends what `write` appends to the text (for encodings of one's own).
  template <typename Write>
  JsonText& append(Write&& write) {
    write(text_);
    return *this;
  }
  /// Appends the escaped inside of a JSON string, without its quotes. With
  /// `lineFeedsReplaced`, a line feed becomes U+FFFD (for texts joined by them).
  JsonText& stringPart(std::string_view bytes, bool lineFeedsReplaced = false) {
    return stringPart(bytes, utf8_, lineFeedsReplaced);
  }
  /// The same, made UTF-8 by `via` (a source's own encoding).
  JsonText& stringPart(std::string_view bytes, Utf8Converter& via, bool lineFeedsReplaced = false);
  /// Appends a text of the sources or the command line as a JSON string.
  JsonText& string(std::string_view bytes) { return string(bytes, utf8_); }
  /// The same, made UTF-8 by `via`.
  JsonText& string(std::string_view bytes, Utf8Converter& via) {
    text_.push_back('"');
    stringPart(bytes, via);
    text_.push_back('"');
    return *this;
  }
  /// Appends `items` as a JSON array of strings, separated by `separator`.
  JsonText& strings(const std::vector<std::string>& items, std::string_view separator = ", ");
  /// Hands what is collected to the stream once it is large.
  void pieceDone() {
    if (text_.size() >= (1 << 16)) flush();
  }
  /// Hands what is collected to the stream.
  void flush() {
    std::string_view rest = text_;
    while (chunk_ != 0 && rest.size() > chunk_ - inChunk_) {
      out_.write(rest.substr(0, chunk_ - inChunk_));
      out_.write(separator_);
      rest.remove_prefix(chunk_ - inChunk_);
      inChunk_ = 0;
    }
    out_.write(rest);
    inChunk_ += rest.size();
    text_.clear();
  }
  /// From here on, writes `separator` into the stream after every `bytes` bytes of
  /// the text (never when `bytes` is 0): a page splits long data into elements.
  void splitEvery(std::size_t bytes, std::string_view separator) {
    flush();
    chunk_ = bytes;
    separator_ = separator;
    inChunk_ = 0;
  }

 private:
  Utf8Converter& utf8_;    // source texts into UTF-8
  OutStream& out_;         // where the text goes
  bool forHtml_;           // strings stand inside an HTML element
  std::string text_;       // collected, not yet handed on
  std::string converted_;  // scratch: one text in UTF-8
  std::size_t chunk_ = 0;       // bytes between two separators; 0: none
  std::string_view separator_;  // written after every `chunk_` bytes
  std::size_t inChunk_ = 0;     // bytes handed on since the last separator
};

}  // namespace quenwick
