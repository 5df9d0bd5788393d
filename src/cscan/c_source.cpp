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

// Calls `takeOut(at, length)` for each splice of `bytes`, in order.
template <typename TakeOut>
void SourceText::findSplices(std::string_view bytes, TakeOut takeOut) const {
  if (encoding_ == SourceEncoding::Utf8) {
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
    return;
  }
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

SourceText::SourceText(std::string_view bytes, SourceEncoding encoding) : encoding_(encoding) {
  std::size_t copied = 0;  // bytes of `bytes` before this point are in `joined_`
  // The lexer reads a copy, whose terminating NUL (no source holds one) marks the end.
  joined_.reserve(bytes.size());
  findSplices(bytes, [&](std::size_t at, std::size_t length) {
    joined_.append(bytes.substr(copied, at - copied));
    splices_.push_back(joined_.size());
    copied = at + length;
  });
  joined_.append(bytes.substr(copied));
  text_ = joined_;
}

void SourceText::joinInPlace() {
  // The splices are taken out in place: what is moved back has been read already.
  const std::string_view original = joined_;
  char* const data = joined_.data();
  std::size_t kept = 0;    // bytes in place at the front
  std::size_t copied = 0;  // bytes of the original before this point are among them
  findSplices(original, [&](std::size_t at, std::size_t length) {
    std::memmove(data + kept, data + copied, at - copied);
    kept += at - copied;
    splices_.push_back(kept);
    copied = at + length;
  });
  std::memmove(data + kept, data + copied, joined_.size() - copied);
  joined_.resize(kept + joined_.size() - copied);
  text_ = joined_;
}

}  // namespace quenwick
