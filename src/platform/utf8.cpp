#include "platform/utf8.h"

#include <cerrno>
#include <cstring>
#include <cstdint>

#include "platform/byte_class.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <iconv.h>
#endif

namespace quenwick {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (!hasClass(c, kAscii)) return false;
  }
  return true;
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong form
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

namespace {

#ifdef _WIN32
// One code point as UTF-8.
void appendCodePoint(std::uint32_t code, std::string& out) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}
#endif

}  // namespace

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Eight ASCII bytes at a time, where they are.
    while (i + 8 <= text.size()) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + i, sizeof word);
      if ((word & 0x8080808080808080ull) != 0) break;
      i += 8;
    }
    if (i >= text.size()) break;
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = utf8SequenceLength(text.substr(i));
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void appendCheckedUtf8(std::string_view text, std::string& out) {
  while (!text.empty()) {
    std::size_t length = utf8SequenceLength(text);
    if (length == 0) {
      out.append(kReplacement);
      length = 1;
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
}

#ifdef _WIN32

Utf8Converter::Utf8Converter(bool fromCp932) : fromCp932_(fromCp932) {}

Utf8Converter::~Utf8Converter() = default;

// Character by character: a lead byte takes its trail byte with it; whatever the
// code page does not map becomes U+FFFD.
void Utf8Converter::appendFromCp932(std::string_view text, std::string& out) {
  while (!text.empty()) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      text.remove_prefix(1);
      continue;
    }
    const std::size_t length = IsDBCSLeadByteEx(932, lead) && text.size() > 1 ? 2 : 1;
    wchar_t wide[2];
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(length),
                                wide, 2);
    if (n == 1) {
      appendCodePoint(wide[0], out);
      text.remove_prefix(length);
    } else {
      out.append(kReplacement);
      text.remove_prefix(1);
    }
  }
}

#else

Utf8Converter::Utf8Converter(bool fromCp932) : fromCp932_(fromCp932) {
  if (!fromCp932) return;
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd != reinterpret_cast<iconv_t>(-1)) handle_ = cd;
}

Utf8Converter::~Utf8Converter() {
  if (handle_ != nullptr) ::iconv_close(static_cast<iconv_t>(handle_));
}

// Through the C library's converter; a byte it cannot take becomes U+FFFD and the
// conversion goes on after it. Without a converter only ASCII survives.
void Utf8Converter::appendFromCp932(std::string_view text, std::string& out) {
  if (handle_ == nullptr) {
    for (char c : text) {
      if (hasClass(c, kAscii)) {
        out.push_back(c);
      } else {
        out.append(kReplacement);
      }
    }
    return;
  }
  iconv_t cd = static_cast<iconv_t>(handle_);
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* next = buffer;
    std::size_t room = sizeof buffer;
    std::size_t result = ::iconv(cd, &in, &inLeft, &next, &room);
    out.append(buffer, static_cast<std::size_t>(next - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a lead byte cut off at the end.
    out.append(kReplacement);
    ++in;
    --inLeft;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
}

#endif

void Utf8Converter::append(std::string_view text, std::string& out) {
  if (isAscii(text)) {
    out.append(text);
  } else if (fromCp932_) {
    appendFromCp932(text, out);
  } else {
    appendCheckedUtf8(text, out);
  }
}

}  // namespace quenwick
