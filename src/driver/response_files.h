// The response files open at one time, and the stop for files that name each
// other without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_input.h"

namespace quenwick {

/// The nesting of response files. A file that names itself is opened again for
/// each mention, until the limit of open files makes one more open fail. From then
/// on, a file that was open when the limit was met cannot be opened again while it
/// is still open: without that, a file naming itself twice would be opened about
/// 2^256 times.
class ResponseFiles {
 public:
  /// At most this many response files may be open at once.
  static constexpr std::size_t kMaxOpen = 256;

  /// Opens `path` into `file` as the innermost response file. False when it cannot
  /// be opened, when `kMaxOpen` files are open already, or when it was stopped at
  /// the limit and is still open.
  bool open(const std::string& path, TextInput& file);
  /// True when the last `open` failed because the file could not be opened at all,
  /// not because of the nesting.
  bool lastUnreadable() const { return lastUnreadable_; }
  /// Ends the innermost response file, once it has been read.
  void close() { open_.pop_back(); }

 private:
  using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
  std::vector<FileIdentity> open_;  // response files open now, outermost first
  std::set<FileIdentity> stopped_;  // files that were open when the limit was met
  bool lastUnreadable_ = false;     // the last open failed in the file system
};

}  // namespace quenwick
