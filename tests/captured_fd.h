// A memory file behind a descriptor, for tests that capture what a stream writes.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace quenwick {

/// A memory file behind a descriptor, read back whole.
class CapturedFd {
 public:
  CapturedFd() : fd_(::memfd_create("quenwick-test", 0)) {}
  ~CapturedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  CapturedFd(const CapturedFd&) = delete;
  CapturedFd& operator=(const CapturedFd&) = delete;

  /// The descriptor to write to.
  int fd() const { return fd_; }
  /// Everything written so far.
  std::string contents() const {
    std::string text;
    char buf[4096];
    off_t at = 0;
    for (ssize_t n; (n = ::pread(fd_, buf, sizeof buf, at)) > 0; at += n) text.append(buf, n);
    return text;
  }

 private:
  int fd_;
};

}  // namespace quenwick
