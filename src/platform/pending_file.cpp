#include "platform/pending_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include "platform/windows_api.h"
#endif

namespace quenwick {

namespace {

// Moves `from` over `to`, replacing it.
bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

PendingFile::~PendingFile() {
  discard();
}

bool PendingFile::open(const std::string& path, OutStream& out) {
  path_ = path;
  temporary_.clear();
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    return out.openFile(path);
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    if (out.openFile(name, true)) {
      temporary_ = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool PendingFile::commit(OutStream& out) {
  out.close();
  if (out.failed()) {
    discard();
    return false;
  }
  if (temporary_.empty()) return true;
  if (!replaceFile(temporary_, path_)) {
    int error = errno;
    discard();
    errno = error;
    return false;
  }
  temporary_.clear();
  return true;
}

void PendingFile::discard() {
  if (temporary_.empty()) return;
  std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace quenwick
