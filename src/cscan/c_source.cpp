#include "cscan/c_source.h"

#include <cstring>

#include "platform/utf8.h"

namespace quenwick {

bool holdsNul(std::string_view bytes) {
  return std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
}

SourceEncoding detectEncoding(std::string_view bytes) {
  return isValidUtf8(bytes) ? SourceEncoding::Utf8 : SourceEncoding::Cp932;
}

// The length of the splice whose backslash is at `at`, or 0 when it is none.
std::size_t SourceText::spliceLength(std::string_view bytes, std::size_t at) const {
  std::size_t i = at + 1;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
  if (i < bytes.size() && bytes[i] == '\r') ++i;
  if (i < bytes.size() && bytes[i] == '\n') return i + 1 - at;
  return 0;
}

SourceText::SourceText(std::string_view bytes, SourceEncoding encoding) : encoding_(encoding) {
  std::size_t copied = 0;  // bytes of `bytes` before this point are in `joined_`
  auto takeOut = [&](std::size_t at, std::size_t length) {
    if (joined_.empty()) joined_.reserve(bytes.size());
    joined_.append(bytes.substr(copied, at - copied));
    splices_.push_back(joined_.size());
    copied = at + length;
  };
  if (encoding == SourceEncoding::Utf8) {
    const char* begin = bytes.data();
    std::size_t from = 0;
    while (from < bytes.size()) {
      const void* found = std::memchr(begin + from, '\\', bytes.size() - from);
      if (found == nullptr) break;
      const std::size_t at = static_cast<const char*>(found) - begin;
      const std::size_t length = spliceLength(bytes, at);
      if (length > 0) takeOut(at, length);
      from = at + (length > 0 ? length : 1);
    }
  } else {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      const unsigned char byte = static_cast<unsigned char>(bytes[at]);
      if (isCp932Lead(byte) && at + 1 < bytes.size() &&
          isCp932Trail(static_cast<unsigned char>(bytes[at + 1]))) {
        ++at;  // the second byte belongs to the character
        continue;
      }
      if (byte != '\\') continue;
      const std::size_t length = spliceLength(bytes, at);
      if (length == 0) continue;
      takeOut(at, length);
      at += length - 1;
    }
  }
  // The lexer reads a copy, whose terminating NUL (no source holds one) marks the end.
  if (joined_.empty()) joined_.reserve(bytes.size());
  joined_.append(bytes.substr(copied));
  text_ = joined_;
}

}  // namespace quenwick
