// Buffered output to a file descriptor in text mode, with a sticky record of write
// errors.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenwick {

/// A byte stream to a file descriptor. Output is collected in a buffer and written
/// in large pieces; a failed write is remembered so that the run can report it.
/// On Windows the descriptor is in text mode: each "\n" goes out as CR LF.
class OutStream {
 public:
  /// Wraps `fd`. With `autoFlush`, every `printf` and `put` of a whole message
  /// is written out at once (used for standard error).
  explicit OutStream(int fd = -1, bool autoFlush = false);
  ~OutStream();
  OutStream(const OutStream&) = delete;
  OutStream& operator=(const OutStream&) = delete;

  /// Opens `path` for writing, created or emptied; with `exclusive`, only a file
  /// that does not exist yet is created. False when it cannot be opened.
  bool openFile(const std::string& path, bool exclusive = false);
  /// Flushes and, for a file opened by `openFile`, closes it.
  void close();

  /// Appends bytes.
  void write(std::string_view bytes) {
    if (bytes.size() <= kCapacity - used_) {
      bytes.copy(buffer_ + used_, bytes.size());
      used_ += bytes.size();
    } else {
      writeSlow(bytes);
    }
    if (autoFlush_) flush();
  }
  /// Appends one byte.
  void put(char c) {
    if (used_ == kCapacity) flush();
    buffer_[used_++] = c;
    if (autoFlush_) flush();
  }
  /// Appends `count` copies of `c` without building them in memory first.
  void pad(char c, std::size_t count);
  /// Appends the result of C formatted output (messages only; never for templates).
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  /// Writes the buffered bytes out.
  void flush();

  /// True once any write has failed.
  bool failed() const { return failed_; }
  /// The descriptor written to.
  int fd() const { return fd_; }

 private:
  static constexpr std::size_t kCapacity = 1 << 16;
  void writeSlow(std::string_view bytes);
  void writeAll(const char* data, std::size_t size);

  int fd_;            // descriptor written to, -1 when none
  bool ownsFd_;       // true when `close` must close `fd_`
  bool autoFlush_;    // flush after every call that writes
  bool failed_;       // a write failed
  std::size_t used_;  // bytes waiting in `buffer_`
  char* buffer_;      // output collected before it is written
};

}  // namespace quenwick
