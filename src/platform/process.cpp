#include "platform/process.h"

#include <chrono>
#include <cstdlib>

#include "platform/file_path.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;
#endif

namespace quenwick {

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

bool isProgramFile(const std::string& path) {
#ifdef _WIN32
  return isRegularFile(path);
#else
  return isRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
#endif
}

bool holdsSeparator(const std::string& name) {
#ifdef _WIN32
  return name.find_first_of("/\\:") != std::string::npos;
#else
  return name.find('/') != std::string::npos;
#endif
}

}  // namespace

std::string findProgram(const std::string& name, const std::string& directory) {
  if (name.empty()) return std::string();
  const std::string here = currentDirectory();
  if (holdsSeparator(name)) {
    std::string path = absolutePath(name, absolutePath(directory, here));
#ifdef _WIN32
    if (!isProgramFile(path) && isProgramFile(path + ".exe")) path += ".exe";
#endif
    return isProgramFile(path) ? path : std::string();
  }
  const char* variable = std::getenv("PATH");
  const std::string folders = variable != nullptr ? variable : "";
  std::size_t at = 0;
  while (at <= folders.size()) {
    std::size_t end = folders.find(kPathSeparator, at);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(at, end - at);
    if (folder.empty()) folder.push_back('.');
    std::string path = absolutePath(name, absolutePath(folder, here));
    if (isProgramFile(path)) return path;
#ifdef _WIN32
    if (isProgramFile(path + ".exe")) return path + ".exe";
#endif
    at = end + 1;
  }
  return std::string();
}

#ifdef _WIN32

namespace {

// One argument quoted as the C runtime reads a command line back into arguments.
void appendQuoted(std::string& line, const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
    line += arg;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

ProgramRun runProgram(const std::string& path, const std::vector<std::string>& args,
                      std::size_t outputLimit, int seconds) {
  ProgramRun run;
  std::string line;
  appendQuoted(line, path);
  for (const std::string& arg : args) {
    line += ' ';
    appendQuoted(line, arg);
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writeEnd;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  const BOOL created = CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!created) {
    CloseHandle(readEnd);
    return run;
  }
  run.started = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool stopped = false;
  char buffer[4096];
  for (;;) {
    DWORD waiting = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr)) break;  // closed
    if (waiting > 0) {
      DWORD got = 0;
      if (!ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) || got == 0) break;
      run.output.append(buffer, got);
      if (run.output.size() > outputLimit) {
        stopped = true;
        break;
      }
      continue;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      stopped = true;
      break;
    }
    Sleep(5);
  }
  if (stopped) TerminateProcess(process.hProcess, 1);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(readEnd);
  run.finished = !stopped && status == 0;
  if (run.output.size() > outputLimit) run.output.resize(outputLimit);
  return run;
}

#else

ProgramRun runProgram(const std::string& path, const std::vector<std::string>& args,
                      std::size_t outputLimit, int seconds) {
  ProgramRun run;
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    return run;
  }
  run.started = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool stopped = false;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      stopped = true;
      break;
    }
    pollfd ready{pipeEnds[0], POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) {
      stopped = polled == 0;
      break;
    }
    const ssize_t got = ::read(pipeEnds[0], buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    run.output.append(buffer, static_cast<std::size_t>(got));
    if (run.output.size() > outputLimit) {
      stopped = true;
      break;
    }
  }
  ::close(pipeEnds[0]);
  if (stopped) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.finished = !stopped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (run.output.size() > outputLimit) run.output.resize(outputLimit);
  return run;
}

#endif

}  // namespace quenwick
