// Texts turned into UTF-8 for the formats that require it (JSON, DOT, HTML).
#pragma once

#include <string>
#include <string_view>

namespace quenwick {

/// Converts texts to UTF-8: from code page 932 (Shift_JIS), or, for texts that are
/// UTF-8 already, by checking them. Either way each byte that does not convert
/// becomes U+FFFD, so the result is always valid UTF-8; ASCII passes unchanged.
class Utf8Converter {
 public:
  /// A converter from code page 932 when `fromCp932`, else a checker of UTF-8.
  explicit Utf8Converter(bool fromCp932);
  ~Utf8Converter();
  Utf8Converter(const Utf8Converter&) = delete;
  Utf8Converter& operator=(const Utf8Converter&) = delete;

  /// Appends `text` as UTF-8 to `out`.
  void append(std::string_view text, std::string& out);
  /// `text` as UTF-8.
  std::string convert(std::string_view text) {
    std::string out;
    append(text, out);
    return out;
  }

 private:
  void appendFromCp932(std::string_view text, std::string& out);

  bool fromCp932_;          // the texts are code page 932
  void* handle_ = nullptr;  // the system's converter, when it has one
};

/// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 when
/// it starts with none (or is empty).
std::size_t utf8SequenceLength(std::string_view text);

/// True when `text` is well-formed UTF-8 throughout (plain ASCII included).
bool isValidUtf8(std::string_view text);

/// True when `byte` starts a double-byte character of code page 932.
inline bool isCp932Lead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// True when `byte` can be the second byte of a double-byte character of code page 932.
inline bool isCp932Trail(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

/// Appends the valid UTF-8 of `text` to `out`, with U+FFFD for each byte that does
/// not belong to a well-formed sequence (overlong forms, surrogates and values above
/// U+10FFFF included).
void appendCheckedUtf8(std::string_view text, std::string& out);

}  // namespace quenwick
