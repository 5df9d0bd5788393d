#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/program.h"
#include "platform/console.h"

namespace fuzzing {

namespace {

struct Scratch {
  std::string dir;  // absolute, with a trailing "/"
  int dirFd = -1;   // the scratch folder, opened
  int nullFd = -1;  // /dev/null, for both console streams
};

void removeScratch();

Scratch& scratch() {
  static Scratch* made = [] {
    auto* s = new Scratch;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quenwick-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) fail("cannot make the scratch folder");
    s->dir = std::string(name.data()) + "/";
    s->dirFd = ::open(name.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    s->nullFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (s->dirFd < 0 || s->nullFd < 0) fail("cannot open the scratch folder or /dev/null");
    std::atexit(removeScratch);
    return s;
  }();
  return *made;
}

// Removes every entry of the folder `fd` (one level of subfolders too: the
// program makes none, so anything deeper is left for the system's /tmp cleaning).
void emptyFolder(int fd) {
  int copy = ::dup(fd);
  if (copy < 0) fail("dup failed");
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) fail("cannot list the scratch folder");
  ::rewinddir(dir);  // the copy shares its offset with `fd`, left at the end last time
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      names.emplace_back(entry->d_name);
    }
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    if (::unlinkat(fd, name.c_str(), 0) == 0) continue;
    int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (sub >= 0) {
      emptyFolder(sub);
      ::close(sub);
    }
    ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
  }
}

void removeScratch() {
  Scratch& s = scratch();
  emptyFolder(s.dirFd);
  ::rmdir(s.dir.c_str());
}

}  // namespace

void fail(const char* message) {
  std::fprintf(stderr, "FUZZ FINDING: %s\n", message);
  std::abort();
}

const std::string& scratchDir() {
  return scratch().dir;
}

void clearScratch() {
  emptyFolder(scratch().dirFd);
}

void writeScratchFile(const std::string& name, std::string_view bytes) {
  int fd = ::openat(scratch().dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail("cannot write a scratch file");
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) fail("short write to a scratch file");
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  ::close(fd);
}

int runInScratch(const std::function<int(quenwick::Console&)>& body) {
  Scratch& s = scratch();
  int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || ::fchdir(s.dirFd) != 0) fail("cannot enter the scratch folder");
  int status;
  {
    quenwick::Console console(s.nullFd, s.nullFd);
    status = body(console);
  }
  if (::fchdir(home) != 0) fail("cannot leave the scratch folder");
  ::close(home);
  return status;
}

bool readScratchFile(const std::string& name, std::string& bytes) {
  bytes.clear();
  int fd = ::openat(scratch().dirFd, name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1 << 16];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
    bytes.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  if (n < 0) fail("cannot read a scratch file");
  return true;
}

int runProgram(const std::vector<std::string>& args) {
  int status = runInScratch([&](quenwick::Console& console) {
    quenwick::Program program(console);
    return program.main(args);
  });
  if (status != 0 && status != 1) fail("exit status other than 0 and 1");
  return status;
}

}  // namespace fuzzing
