// The base protocol's framing: header lines, a blank line, then a body of exactly
// Content-Length bytes. The decoder takes bytes as they come and hands out whole
// frames; it holds at most one body and skips a body over the size limit without
// keeping it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quenwick {

/// Sizes the decoder keeps within.
struct FrameLimits {
  std::size_t maxHeader = 64 * 1024;        // bytes of one header block
  std::size_t maxBody = 64 * 1024 * 1024;   // bytes of one body
};

/// One frame of the input, or what was wrong with it.
struct Frame {
  /// What the frame is.
  enum Kind {
    Message,    // a whole body, in `body`
    BadHeader,  // a header block without a usable Content-Length; `detail` says why
    TooLarge,   // a body over the limit, skipped; `length`, and its id and method if seen
  };
  Kind kind = Message;            // what the frame is
  std::string body;               // Message: the body
  std::string detail;             // BadHeader: what was wrong
  std::size_t length = 0;         // TooLarge: the declared length
  std::string idText;             // TooLarge: the JSON text of the top-level "id", if any
  std::string method;             // TooLarge: the top-level "method", if any
};

/// Cuts a byte stream into frames. After a bad header block it looks for the next
/// "Content-Length" header and goes on from there.
class FrameDecoder {
 public:
  /// A decoder within `limits`.
  explicit FrameDecoder(FrameLimits limits = {}) : limits_(limits) {}

  /// Appends bytes of the input.
  void feed(std::string_view bytes);
  /// The next whole frame, or none until more bytes come.
  std::optional<Frame> take();
  /// True when bytes of an unfinished frame are held (at the end of the input, the
  /// frame is cut off).
  bool holdsPartialFrame() const;

 private:
  enum class State { Header, Body, Skip, Resync };

  std::optional<Frame> takeHeader();
  std::optional<Frame> takeBody();
  std::optional<Frame> takeSkipped();
  bool resync();
  void peekTopLevel(char c);
  void compact();

  FrameLimits limits_;
  State state_ = State::Header;
  std::string buffer_;     // bytes not yet consumed, from `pos_` on
  std::size_t pos_ = 0;    // first byte not consumed
  std::size_t length_ = 0; // Body: the length; Skip: the bytes still to skip
  Frame skipped_;          // Skip: the frame being skipped

  // A light reading of a skipped body's top level, for its "id" and "method".
  struct Peek {
    int depth = 0;
    bool inString = false;
    bool escape = false;
    enum Phase { Key, Colon, Value, Other } phase = Key;
    bool capturing = false;  // the current string or value is kept in `text`
    std::string text;        // a key or a value being read
    std::string key;         // the last key read at the top level
  } peek_;
};

/// A byte source to read frames from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Reads up to `size` bytes, waiting for at least one; 0 at the end, -1 on an error.
  virtual long read(char* buffer, std::size_t size) = 0;
  /// True when a read would not wait, waiting up to `timeoutMs` for that.
  virtual bool ready(int timeoutMs) = 0;
};

/// Frames read from a source.
class MessageReader {
 public:
  /// A reader of `source` within `limits`.
  MessageReader(ByteSource& source, FrameLimits limits = {}) : source_(source), decoder_(limits) {}

  /// The next frame, waiting for it; none at the end of the input.
  std::optional<Frame> next();
  /// The next frame if one is whole without waiting; reads what the source holds.
  std::optional<Frame> poll();
  /// Waits up to `timeoutMs` for input to read; true when there is some.
  bool wait(int timeoutMs) { return !ended_ && source_.ready(timeoutMs); }
  /// True once the input has ended.
  bool ended() const { return ended_; }

 private:
  bool readOnce();

  ByteSource& source_;
  FrameDecoder decoder_;
  bool ended_ = false;
};

}  // namespace quenwick
