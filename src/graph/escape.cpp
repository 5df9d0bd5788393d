#include "graph/escape.h"

#include "platform/byte_class.h"

namespace quenwick {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendUnicodeEscape(unsigned code, std::string& out) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

/// Appends the UTF-8 sequence that starts at `utf8[i]` as \u escapes (two for a
/// character beyond U+FFFF) and returns its last index. `utf8` is valid UTF-8.
std::size_t appendSequenceEscaped(std::string_view utf8, std::size_t i, std::string& out) {
  const auto byte = [&](std::size_t at) {
    return at < utf8.size() ? static_cast<unsigned char>(utf8[at]) : 0u;
  };
  const unsigned lead = byte(i);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  unsigned code = length == 1 ? 0xFFFD : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
  if (code > 0xFFFF) {
    code -= 0x10000;
    appendUnicodeEscape(0xD800 + (code >> 10), out);
    appendUnicodeEscape(0xDC00 + (code & 0x3FF), out);
  } else {
    appendUnicodeEscape(code, out);
  }
  return i + length - 1;
}

}  // namespace

void appendJsonEscaped(std::string_view utf8, std::string& out, bool forHtml) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (forHtml && !hasClass(c, kAscii)) {
      // In a page every text is ASCII: U+2028 and U+2029 cannot end a line of an
      // older script engine, and the browser keeps the data in one byte a character.
      i = appendSequenceEscaped(utf8, i, out);
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        continue;
      case '\\':
        out += "\\\\";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '<':
      case '>':
      case '&':
        if (forHtml) {
          appendUnicodeEscape(static_cast<unsigned char>(c), out);
          continue;
        }
        break;
      default:
        break;
    }
    if (hasClass(c, kAscii) && !hasClass(c, kPrintable) && c != '\x7F') {
      appendUnicodeEscape(static_cast<unsigned char>(c), out);
    } else {
      out.push_back(c);
    }
  }
}

namespace {

constexpr std::size_t kDotPiece = 8192;  // well below Graphviz's limit, escapes included

}  // namespace

void appendDotString(std::string_view utf8, std::string& out) {
  constexpr std::size_t kPiece = kDotPiece;
  out.push_back('"');
  std::size_t inPiece = 0;
  for (char c : utf8) {
    // A new piece starts only before the first byte of a character.
    const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    if (inPiece >= kPiece && !continuation) {
      out += "\" + \"";
      inPiece = 0;
    }
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      ++inPiece;
    }
    out.push_back(c);
    ++inPiece;
  }
  out.push_back('"');
}

void appendDotLabel(std::string_view first, std::string_view second, std::string& out) {
  std::string quoted;
  appendDotString(first, quoted);
  quoted.pop_back();  // the closing quote: the line break and `second` follow
  quoted += "\\n";
  const std::size_t secondAt = quoted.size();
  appendDotString(second, quoted);
  if (quoted.size() <= kDotPiece) {
    quoted.erase(secondAt, 1);  // the opening quote of `second`
    out += quoted;
    return;
  }
  appendDotString(first, out);
  out += " + \"\\n\" + ";
  appendDotString(second, out);
}

}  // namespace quenwick
