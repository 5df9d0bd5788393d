#include "platform/text_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/byte_class.h"
#include "platform/windows_api.h"

namespace quenwick {

namespace {

using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

#ifdef _WIN32
// The volume and file index of the file behind `fd`: NTFS and FAT have no inode
// numbers. A file that has none (a device or a pipe) gets a number no file shares.
FileIdentity identify(int fd) {
  static std::uint64_t unidentified = 0;
  BY_HANDLE_FILE_INFORMATION info;
  auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) {
    return {~std::uint64_t{0}, ++unidentified};
  }
  return {info.dwVolumeSerialNumber,
          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Opens `path` in binary mode: `TextInput` folds the line ends itself. -1 for a file
// that cannot be opened and for a directory.
int openForReading(const std::string& path, FileIdentity& identity) {
  int fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return -1;
  struct _stat64 st;
  if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) == _S_IFDIR) {
    ::_close(fd);
    return -1;
  }
  identity = identify(fd);
  return fd;
}
#else
// Opens `path` without waiting, so that a named pipe with no writer reads as empty
// instead of blocking the run; reads wait as usual afterwards. -1 for a file that
// cannot be opened and for a directory.
int openForReading(const std::string& path, FileIdentity& identity) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  // A regular file's reads never wait, whatever the flag says: only another kind
  // of file needs it cleared.
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) ||
      (!S_ISREG(st.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
    ::close(fd);
    return -1;
  }
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return fd;
}
#endif

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes) {
  return readWholeFile(path, bytes, SIZE_MAX) == WholeFile::Read;
}

WholeFile readWholeFile(const std::string& path, std::string& bytes, std::size_t limit) {
  FileIdentity identity;
  int fd = openForReading(path, identity);
  bytes.clear();
  if (fd < 0) return WholeFile::Unreadable;
  // The size the file says it has is read at once; more is read as long as it comes
  // (a file that grows, a pipe).
  std::size_t expected = 0;
#ifdef _WIN32
  struct _stat64 st;
  if (::_fstat64(fd, &st) == 0 && st.st_size > 0) expected = static_cast<std::size_t>(st.st_size);
#else
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) expected = static_cast<std::size_t>(st.st_size);
#endif
  constexpr std::size_t kPiece = 1 << 16;
  bool ok = true;
  bool tooLarge = expected > limit;
  std::size_t have = 0;
  if (!tooLarge) bytes.resize(expected + 1);
  while (!tooLarge) {
    if (have == bytes.size()) bytes.resize(have + kPiece);
    const std::size_t room = bytes.size() - have;
#ifdef _WIN32
    const int got = ::_read(fd, bytes.data() + have, static_cast<unsigned>(std::min<std::size_t>(room, 1u << 30)));
#else
    ssize_t got;
    do {
      got = ::read(fd, bytes.data() + have, room);
    } while (got < 0 && errno == EINTR);
#endif
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    have += static_cast<std::size_t>(got);
    tooLarge = have > limit;
  }
  bytes.resize(tooLarge ? 0 : have);
  if (tooLarge) bytes.shrink_to_fit();
#ifdef _WIN32
  ::_close(fd);
#else
  ::close(fd);
#endif
  return tooLarge ? WholeFile::TooLarge : ok ? WholeFile::Read : WholeFile::Unreadable;
}

TextInput::TextInput() : fd_(-1), pendingCr_(false), pos_(nullptr), end_(nullptr) {}

TextInput::~TextInput() {
  close();
}

bool TextInput::open(const std::string& path) {
  close();
  int fd = openForReading(path, identity_);
  if (fd < 0) return false;
  if (!buf_) buf_.reset(new char[kChunkSize + 1]);
  fd_ = fd;
  return true;
}

void TextInput::openMemory(std::string_view text) {
  close();
  memory_.assign(text);
  std::size_t size = foldLineEnds(memory_.data(), memory_.size());
  // A CR at the very end has no partner: it stays.
  if (pendingCr_) {
    memory_[size++] = '\r';
    pendingCr_ = false;
  }
  memory_.resize(size);
  pos_ = memory_.data();
  end_ = pos_ + memory_.size();
}

void TextInput::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pendingCr_ = false;
  pos_ = end_ = nullptr;
  memory_.clear();
}

// Folds CR LF into LF in place. A CR at the end of the range is left out and
// noted in `pendingCr_`, since its partner may start the next chunk.
std::size_t TextInput::foldLineEnds(char* begin, std::size_t size) {
  char* out = begin;
  const char* in = begin;
  const char* stop = begin + size;
  while (in < stop) {
    const char* cr = static_cast<const char*>(std::memchr(in, '\r', stop - in));
    if (cr == nullptr) cr = stop;
    std::size_t n = cr - in;
    if (out != in) std::memmove(out, in, n);
    out += n;
    in = cr;
    if (in == stop) break;
    if (in + 1 == stop) {
      pendingCr_ = true;
      ++in;
    } else if (in[1] == '\n') {
      ++in;  // drop the CR, keep the LF
    } else {
      *out++ = *in++;
    }
  }
  return out - begin;
}

bool TextInput::refill() {
  if (fd_ < 0) return false;
  for (;;) {
    // A CR held back from the last chunk is put in front of the new bytes.
    std::size_t carry = pendingCr_ ? 1 : 0;
    ssize_t n = ::read(fd_, buf_.get() + carry, kChunkSize);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // End of file (a read error counts the same): a held-back CR is delivered last.
      ::close(fd_);
      fd_ = -1;
      if (!pendingCr_) return false;
      pendingCr_ = false;
      buf_[0] = '\r';
      pos_ = buf_.get();
      end_ = pos_ + 1;
      return true;
    }
    if (carry) buf_[0] = '\r';
    pendingCr_ = false;
    std::size_t size = foldLineEnds(buf_.get(), static_cast<std::size_t>(n) + carry);
    if (size == 0) continue;  // the chunk was a lone CR, held back
    pos_ = buf_.get();
    end_ = pos_ + size;
    return true;
  }
}

bool TextInput::readToken(std::string& token) {
  token.clear();
  int c = get();
  while (hasClass(c, kSpace)) c = get();
  if (c < 0) return false;
  bool cut = false;  // a NUL byte ended the text; the rest of the token is consumed
  while (c >= 0 && !hasClass(c, kSpace)) {
    if (c == 0) cut = true;
    if (!cut) token.push_back(static_cast<char>(c));
    c = get();
  }
  return true;
}

bool TextInput::readLinePiece(std::string& piece, std::size_t limit) {
  piece.clear();
  bool cut = false;
  std::size_t count = 0;
  while (count < limit) {
    int c = get();
    if (c < 0) break;
    ++count;
    if (c == 0) cut = true;
    if (!cut) piece.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return count > 0;
}

}  // namespace quenwick
