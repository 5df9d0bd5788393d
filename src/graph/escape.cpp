#include "graph/escape.h"

#include "platform/byte_class.h"

namespace quenwick {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendUnicodeEscape(unsigned code, std::string& out) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

}  // namespace

void appendJsonEscaped(std::string_view utf8, std::string& out, bool forHtml) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
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
      case '\xE2':  // U+2028 and U+2029 end a line in older script engines
        if (forHtml && utf8.substr(i, 2) == "\xE2\x80" && i + 2 < utf8.size() &&
            (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
          appendUnicodeEscape(utf8[i + 2] == '\xA8' ? 0x2028 : 0x2029, out);
          i += 2;
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
