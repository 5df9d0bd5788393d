#include "platform/raw_io.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/windows_api.h"
#else
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace quenwick {

#ifdef _WIN32

void setBinaryMode(int fd) {
  ::_setmode(fd, _O_BINARY);
}

void ignoreBrokenPipe() {}

long readSome(int fd, char* buffer, std::size_t size) {
  const unsigned piece = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return ::_read(fd, buffer, piece);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const unsigned piece =
        bytes.size() > (1u << 30) ? (1u << 30) : static_cast<unsigned>(bytes.size());
    const int written = ::_write(fd, bytes.data(), piece);
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A pipe is asked how many bytes wait in it (a broken one is at its end); a pipe that
// cannot tell (Wine's pipes from a POSIX parent) never counts as ready, so that only a
// read that is meant to wait waits. A console or another waitable handle is waited
// on; a disk file always has input (or its end) at hand.
bool inputReady(int fd, int timeoutMs) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) return true;
  switch (::GetFileType(handle)) {
    case FILE_TYPE_PIPE: {
      for (int waited = 0;; waited += 5) {
        DWORD available = 0;
        if (!::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) {
          if (::GetLastError() == ERROR_BROKEN_PIPE) return true;
          ::Sleep(static_cast<DWORD>(timeoutMs));
          return false;
        }
        if (available > 0) return true;
        if (waited >= timeoutMs) return false;
        ::Sleep(5);
      }
    }
    case FILE_TYPE_CHAR:
      return ::WaitForSingleObject(handle, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    default:
      return true;
  }
}

#else

void setBinaryMode(int) {}

void ignoreBrokenPipe() {
  ::signal(SIGPIPE, SIG_IGN);
}

long readSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return static_cast<long>(got);
  }
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool inputReady(int fd, int timeoutMs) {
  pollfd watched{fd, POLLIN, 0};
  for (;;) {
    const int result = ::poll(&watched, 1, timeoutMs);
    if (result < 0 && errno == EINTR) continue;
    // An error or a hang-up counts as ready: the read that follows reports it.
    return result != 0;
  }
}

#endif

}  // namespace quenwick
