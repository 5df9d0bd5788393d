#include "lsp/message_reader.h"

#include <limits>

#include "config/format_text.h"
#include "platform/ascii.h"
#include "platform/byte_class.h"

namespace quenwick {

namespace {

constexpr std::string_view kLengthHeader = "content-length";
constexpr std::size_t kPeekCapture = 64;  // longest id or method kept from a skipped body

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && hasClass(text.front(), kSpace)) text.remove_prefix(1);
  while (!text.empty() && hasClass(text.back(), kSpace)) text.remove_suffix(1);
  return text;
}

// The position of the blank line that ends a header block starting at `from`, and
// the length of the line ends that make it. Line ends may be CR LF or LF.
std::size_t findHeaderEnd(std::string_view text, std::size_t from, std::size_t& endLength) {
  for (std::size_t at = text.find('\n', from); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    std::size_t next = at + 1;
    if (next < text.size() && text[next] == '\n') {
      endLength = 2;
      return at;
    }
    if (next + 1 < text.size() && text[next] == '\r' && text[next + 1] == '\n') {
      endLength = 3;
      return at;
    }
  }
  return std::string_view::npos;
}

// Reads a header block into the body length; false with `why` set when it has none
// that can be used.
bool readLength(std::string_view block, std::size_t& length, std::string& why) {
  bool found = false;
  while (!block.empty()) {
    std::size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;  // not a header: ignored
    if (!equalsIgnoringAsciiCase(trimmed(line.substr(0, colon)), kLengthHeader)) continue;
    std::string_view value = trimmed(line.substr(colon + 1));
    if (value.empty() || value.size() > 19) {
      why = formatText(Text::LspLengthNotNumber);
      return false;
    }
    std::size_t parsed = 0;
    for (char c : value) {
      if (!hasClass(c, kDigit)) {
        why = formatText(Text::LspLengthNotNumber);
        return false;
      }
      parsed = parsed * 10 + static_cast<std::size_t>(c - '0');
    }
    if (found && parsed != length) {
      why = formatText(Text::LspLengthTwice);
      return false;
    }
    found = true;
    length = parsed;
  }
  if (!found) why = formatText(Text::LspLengthMissing);
  return found;
}

}  // namespace

void FrameDecoder::feed(std::string_view bytes) {
  compact();
  buffer_.append(bytes);
}

void FrameDecoder::compact() {
  if (pos_ == 0) return;
  if (pos_ >= buffer_.size()) {
    buffer_.clear();
  } else if (pos_ > 4096 && pos_ * 2 > buffer_.size()) {
    buffer_.erase(0, pos_);
  } else {
    return;
  }
  pos_ = 0;
}

bool FrameDecoder::holdsPartialFrame() const {
  if (state_ == State::Body || state_ == State::Skip) return true;
  if (state_ == State::Resync) return false;
  for (std::size_t i = pos_; i < buffer_.size(); ++i) {
    if (!hasClass(buffer_[i], kSpace)) return true;
  }
  return false;
}

std::optional<Frame> FrameDecoder::take() {
  for (;;) {
    switch (state_) {
      case State::Header: {
        std::optional<Frame> frame = takeHeader();
        if (frame || state_ == State::Header) return frame;
        break;
      }
      case State::Body:
        return takeBody();
      case State::Skip:
        return takeSkipped();
      case State::Resync:
        if (!resync()) return std::nullopt;
        break;
    }
  }
}

std::optional<Frame> FrameDecoder::takeHeader() {
  // Blank lines between messages are passed over.
  while (pos_ < buffer_.size() && (buffer_[pos_] == '\r' || buffer_[pos_] == '\n')) ++pos_;
  std::size_t endLength = 0;
  const std::size_t end = findHeaderEnd(buffer_, pos_, endLength);
  if (end == std::string::npos) {
    if (buffer_.size() - pos_ <= limits_.maxHeader) return std::nullopt;
    Frame bad;
    bad.kind = Frame::BadHeader;
    bad.detail = formatText(Text::LspHeaderTooLong, limits_.maxHeader);
    pos_ = buffer_.size();
    state_ = State::Resync;
    return bad;
  }
  const std::string_view block(buffer_.data() + pos_, end - pos_);
  std::string why;
  std::size_t length = 0;
  const bool usable = block.size() <= limits_.maxHeader &&
                      readLength(block, length, why);
  pos_ = end + endLength;
  if (!usable) {
    if (why.empty()) why = formatText(Text::LspHeaderTooLong, limits_.maxHeader);
    Frame bad;
    bad.kind = Frame::BadHeader;
    bad.detail = why;
    state_ = State::Resync;
    return bad;
  }
  length_ = length;
  if (length > limits_.maxBody) {
    skipped_ = Frame();
    skipped_.kind = Frame::TooLarge;
    skipped_.length = length;
    peek_ = Peek();
    state_ = State::Skip;
  } else {
    state_ = State::Body;
  }
  return std::nullopt;
}

std::optional<Frame> FrameDecoder::takeBody() {
  if (buffer_.size() - pos_ < length_) return std::nullopt;
  Frame frame;
  frame.body.assign(buffer_, pos_, length_);
  pos_ += length_;
  state_ = State::Header;
  return frame;
}

std::optional<Frame> FrameDecoder::takeSkipped() {
  const std::size_t now = std::min(length_, buffer_.size() - pos_);
  for (std::size_t i = 0; i < now; ++i) peekTopLevel(buffer_[pos_ + i]);
  pos_ += now;
  length_ -= now;
  if (length_ > 0) return std::nullopt;
  peekTopLevel(',');  // ends a value that runs to the end
  state_ = State::Header;
  return std::move(skipped_);
}

// Looks for the next "Content-Length" (in any letter case) and goes on reading
// headers from there. False when more bytes are needed.
bool FrameDecoder::resync() {
  const std::size_t n = kLengthHeader.size();
  for (std::size_t at = pos_; at + n <= buffer_.size(); ++at) {
    if (asciiLower(buffer_[at]) == 'c' &&
        equalsIgnoringAsciiCase(std::string_view(buffer_.data() + at, n), kLengthHeader)) {
      pos_ = at;
      state_ = State::Header;
      return true;
    }
  }
  // Keep what could be the start of the header name.
  if (buffer_.size() - pos_ > n) pos_ = buffer_.size() - n;
  return false;
}

void FrameDecoder::peekTopLevel(char c) {
  Peek& p = peek_;
  auto capture = [&](char byte) {
    if (p.capturing && p.text.size() < kPeekCapture) p.text.push_back(byte);
  };
  if (p.inString) {
    capture(c);
    if (p.escape) {
      p.escape = false;
    } else if (c == '\\') {
      p.escape = true;
    } else if (c == '"') {
      p.inString = false;
      if (p.depth == 1 && p.phase == Peek::Key) {
        p.key = p.text.size() >= 2 ? p.text.substr(1, p.text.size() - 2) : std::string();
        p.capturing = false;
        p.phase = Peek::Colon;
      }
    }
    return;
  }
  auto endValue = [&]() {
    if (p.depth == 1 && p.phase == Peek::Value && p.capturing) {
      std::string value(p.text);
      while (!value.empty() && hasClass(value.back(), kSpace)) value.pop_back();
      std::size_t first = 0;
      while (first < value.size() && hasClass(value[first], kSpace)) ++first;
      value.erase(0, first);
      if (p.key == "id" && value.size() < kPeekCapture) skipped_.idText = value;
      if (p.key == "method" && value.size() >= 2 && value.size() < kPeekCapture &&
          value.front() == '"' && value.back() == '"') {
        skipped_.method = value.substr(1, value.size() - 2);
      }
    }
    p.capturing = false;
    p.text.clear();
  };
  switch (c) {
    case '{':
    case '[':
      if (p.depth == 1 && p.phase == Peek::Value) {
        p.capturing = false;
        p.phase = Peek::Other;
      }
      ++p.depth;
      if (p.depth == 1) p.phase = Peek::Key;
      return;
    case '}':
    case ']':
      if (p.depth == 1) endValue();
      if (p.depth > 0) --p.depth;
      return;
    case ',':
      if (p.depth == 1) {
        endValue();
        p.phase = Peek::Key;
      }
      return;
    case ':':
      if (p.depth == 1 && p.phase == Peek::Colon) {
        p.phase = Peek::Value;
        p.capturing = true;
        p.text.clear();
      }
      return;
    case '"':
      p.inString = true;
      if (p.depth == 1 && p.phase == Peek::Key) {
        p.capturing = true;
        p.text.clear();
      }
      capture(c);
      return;
    default:
      if (p.depth == 1 && p.phase == Peek::Value) capture(c);
      return;
  }
}

bool MessageReader::readOnce() {
  char buffer[1 << 16];
  const long got = source_.read(buffer, sizeof buffer);
  if (got <= 0) {
    ended_ = true;
    return false;
  }
  decoder_.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
  return true;
}

std::optional<Frame> MessageReader::next() {
  for (;;) {
    if (std::optional<Frame> frame = decoder_.take()) return frame;
    if (ended_ || !readOnce()) return std::nullopt;
  }
}

std::optional<Frame> MessageReader::poll() {
  for (;;) {
    if (std::optional<Frame> frame = decoder_.take()) return frame;
    if (ended_ || !source_.ready(0) || !readOnce()) return std::nullopt;
  }
}

}  // namespace quenwick
