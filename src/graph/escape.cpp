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

void appendDotEscaped(std::string_view utf8, std::string& out) {
  for (char c : utf8) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
}

}  // namespace quenwick
