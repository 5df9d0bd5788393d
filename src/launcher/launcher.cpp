// The installed command. The program reads quenwick.cfg and its tables from the
// directory of the path it was started by, so started through PATH it only sees the
// current directory. Installed, the real program lives in its own folder beside links
// to the system configuration and the shipped tables, and this launcher starts it:
//   - when the current directory holds a quenwick.cfg, with the plain name as its path,
//     so the program reads "./quenwick.cfg" and the project's tables, as it always did;
//   - otherwise with its full path, so it reads the system configuration.
// The launcher replaces itself with the program (execv): arguments, environment,
// standard streams, exit status and signals are the program's own.
//
// Built once per program. Compile definitions:
//   QUENWICK_LAUNCHER_PROGRAM      file name of the program, e.g. "quenwick"
//   QUENWICK_LAUNCHER_PROGRAM_DIR  its folder relative to the launcher's folder,
//                                  e.g. "../lib/quenwick"
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/texts.h"

#if !defined(QUENWICK_LAUNCHER_PROGRAM) || !defined(QUENWICK_LAUNCHER_PROGRAM_DIR)
#error "QUENWICK_LAUNCHER_PROGRAM and QUENWICK_LAUNCHER_PROGRAM_DIR must be defined"
#endif

namespace {

constexpr const char* kProgram = QUENWICK_LAUNCHER_PROGRAM;
constexpr const char* kProgramDir = QUENWICK_LAUNCHER_PROGRAM_DIR;
// The configuration the program reads from its directory.
constexpr const char* kConfigFile = "quenwick.cfg";

// The launcher's own path with every symbolic link resolved, or "" with errno set.
std::string ownPath() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

// `relative` appended to the absolute folder `dir`, with "." and ".." folded away.
// Folding ".." by name is exact here because `dir` holds no symbolic link.
std::string joinPath(const std::string& dir, const std::string& relative) {
  std::vector<std::string> parts;
  std::string all = dir + "/" + relative + "/";
  std::size_t start = 0;
  for (std::size_t slash; (slash = all.find('/', start)) != std::string::npos; start = slash + 1) {
    std::string part = all.substr(start, slash - start);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  return path.empty() ? "/" : path;
}

// True when the current directory holds a quenwick.cfg that the program would read:
// a readable file of any kind but a directory (symbolic links followed). Nothing is
// opened, so a named pipe there is left alone.
bool projectConfiguration() {
  struct stat st;
  return ::stat(kConfigFile, &st) == 0 && !S_ISDIR(st.st_mode) &&
         ::faccessat(AT_FDCWD, kConfigFile, R_OK, AT_EACCESS) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using quenwick::Text;
  using quenwick::textFormat;
  quenwick::selectTextEncoding(std::getenv("QUENWICK_ENCODING"));
  std::string self = ownPath();
  if (self.empty()) {
    std::fprintf(stderr, textFormat(Text::LauncherNoSelf), kProgram, std::strerror(errno));
    return 127;
  }
  std::string program = joinPath(self.substr(0, self.rfind('/')), kProgramDir);
  program += program.back() == '/' ? "" : "/";
  program += kProgram;

  std::vector<char*> args;
  args.push_back(const_cast<char*>(projectConfiguration() ? kProgram : program.c_str()));
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  ::execv(program.c_str(), args.data());

  int error = errno;
  std::fprintf(stderr, textFormat(Text::LauncherCannotRun), kProgram, program.c_str(),
               std::strerror(error));
  return error == ENOENT ? 127 : 126;
}
