// An output file that takes its place only once it is complete.
#pragma once

#include <string>

#include "platform/out_stream.h"

namespace quenwick {

/// A file written under a temporary name beside its final one and renamed when it
/// is complete, so that a run that fails never empties or half-writes the file
/// that was there. A name that is not a regular file (a device such as /dev/null,
/// a named pipe) is written directly, since nothing there can be lost.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  /// Opens `out` on a new temporary file beside `path`. False when it cannot be
  /// created (errno tells why).
  bool open(const std::string& path, OutStream& out);
  /// Closes `out` and puts the file in place. False when writing or renaming
  /// failed; the temporary file is removed then.
  bool commit(OutStream& out);
  /// Removes the temporary file, unless it was committed.
  void discard();

 private:
  std::string path_;       // the final name
  std::string temporary_;  // the name written to; empty when written directly or done
};

}  // namespace quenwick
