// Text-mode input: a file read through a large buffer, with every CR LF pair
// delivered as a single line feed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace quenwick {

/// Reads the whole file `path` into `bytes`, exactly as stored (no line ends
/// folded). False when it cannot be opened, is a directory, or a read fails.
bool readWholeFile(const std::string& path, std::string& bytes);

/// How reading a whole file within a limit ended.
enum class WholeFile { Read, Unreadable, TooLarge };

/// As `readWholeFile`, but stops once more than `limit` bytes came (a device such
/// as /dev/zero never ends): then TooLarge, with `bytes` empty.
WholeFile readWholeFile(const std::string& path, std::string& bytes, std::size_t limit);

/// A file (or an in-memory text) read byte by byte in text mode. A CR directly
/// followed by LF is delivered as one LF; a lone CR stays byte 13; nothing else
/// changes. A directory cannot be opened, as if it did not exist.
class TextInput {
 public:
  /// Bytes read from a file at a time.
  static constexpr std::size_t kChunkSize = 1 << 17;

  TextInput();
  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  /// Opens `path` for reading. False when it cannot be opened or is a directory.
  bool open(const std::string& path);
  /// Reads from `text` instead of a file (for tests and fuzzing).
  void openMemory(std::string_view text);
  /// Releases the file. Reading afterwards meets the end at once.
  void close();
  /// The device (volume) and file number of the file last opened: equal for two names
  /// of one file.
  std::pair<std::uint64_t, std::uint64_t> identity() const { return identity_; }

  /// The next byte (0..255), or -1 at the end (a read error counts as the end).
  int get() {
    if (pos_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(*pos_++);
  }

  /// The bytes already read ahead and not yet delivered (possibly none).
  std::string_view buffered() const { return std::string_view(pos_, end_ - pos_); }
  /// Counts the first `count` bytes of `buffered()` as delivered.
  void skipBuffered(std::size_t count) { pos_ += count; }

  /// Reads the next whitespace-separated token, as formatted input with "%s" does:
  /// leading blanks (9 to 13 and 32) are skipped and the token runs to the next
  /// blank. The token ends at a NUL byte read into it. False at the end of input.
  bool readToken(std::string& token);

  /// Reads one line piece of at most `limit` bytes, as a buffer of `limit` + 1 bytes
  /// is filled by line input: it stops after a line feed or when the piece is full.
  /// The text ends at a NUL byte read into it. False at the end of input.
  bool readLinePiece(std::string& piece, std::size_t limit);

 private:
  bool refill();
  std::size_t foldLineEnds(char* begin, std::size_t size);

  std::pair<std::uint64_t, std::uint64_t> identity_{};  // device and file number of the file
  int fd_;                                              // descriptor, -1 for memory input or none
  bool pendingCr_;               // a CR ended the last chunk; its partner is undecided
  std::unique_ptr<char[]> buf_;  // chunk buffer for file input
  std::string memory_;           // the whole text for memory input
  const char* pos_;              // next byte to deliver
  const char* end_;              // end of the delivered bytes of the chunk
};

}  // namespace quenwick
