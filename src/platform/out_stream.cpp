#include "platform/out_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace quenwick {

namespace {

// Bytes handed to one write call, well below what its count can hold on any platform.
constexpr std::size_t kMaxWrite = std::size_t{1} << 30;

#ifdef _WIN32
// Puts `fd` in text mode, where the C library writes each "\n" as CR LF.
void useTextMode(int fd) {
  if (fd >= 0) ::_setmode(fd, _O_TEXT);
}

// Opens `path` for writing in text mode, created or emptied (with `exclusive`, only
// created). -1 when it cannot be opened. Device names such as "CON" and "NUL" open
// the device.
int openForWriting(const std::string& path, bool exclusive) {
  const int create = exclusive ? _O_CREAT | _O_EXCL : _O_CREAT | _O_TRUNC;
  return ::_open(path.c_str(), _O_WRONLY | create | _O_TEXT | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
#else
// Line ends are written as they are: a "\n" is one LF.
void useTextMode(int) {}

// Opens `path` for writing, created or emptied (with `exclusive`, only created),
// without waiting, so that a named pipe with no reader fails at once instead of
// blocking the run; writes wait as usual afterwards. -1 when it cannot be opened.
int openForWriting(const std::string& path, bool exclusive) {
  const int create = exclusive ? O_CREAT | O_EXCL : O_CREAT | O_TRUNC;
  int fd = ::open(path.c_str(), O_WRONLY | create | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}
#endif

}  // namespace

OutStream::OutStream(int fd, bool autoFlush)
    : fd_(fd),
      ownsFd_(false),
      autoFlush_(autoFlush),
      failed_(false),
      used_(0),
      buffer_(new char[kCapacity]) {
  useTextMode(fd);
}

OutStream::~OutStream() {
  close();
  delete[] buffer_;
}

bool OutStream::openFile(const std::string& path, bool exclusive) {
  close();
  int fd = openForWriting(path, exclusive);
  if (fd < 0) return false;
  fd_ = fd;
  ownsFd_ = true;
  failed_ = false;
  return true;
}

void OutStream::close() {
  flush();
  if (ownsFd_ && fd_ >= 0) {
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    ownsFd_ = false;
  }
}

void OutStream::pad(char c, std::size_t count) {
  while (count > 0) {
    if (used_ == kCapacity) flush();
    std::size_t n = std::min(count, kCapacity - used_);
    std::memset(buffer_ + used_, c, n);
    used_ += n;
    count -= n;
  }
  if (autoFlush_) flush();
}

void OutStream::printf(const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    write(std::string_view(small, n));
    return;
  }
  std::string large(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(large.data(), large.size(), format, args);
  va_end(args);
  large.pop_back();
  write(large);
}

void OutStream::flush() {
  if (used_ == 0) return;
  writeAll(buffer_, used_);
  used_ = 0;
}

void OutStream::writeSlow(std::string_view bytes) {
  flush();
  if (bytes.size() >= kCapacity) {
    writeAll(bytes.data(), bytes.size());
  } else {
    bytes.copy(buffer_, bytes.size());
    used_ = bytes.size();
  }
}

void OutStream::writeAll(const char* data, std::size_t size) {
  if (fd_ < 0) {
    failed_ = true;
    return;
  }
  while (size > 0) {
    ssize_t n = ::write(fd_, data, std::min(size, kMaxWrite));
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace quenwick
