#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#ifdef _WIN32
#include "platform/windows_api.h"
#endif

namespace quenwick {

namespace {

enum class EntryKind { File, Directory, Other };

// The kind of `path`; a link to a directory counts as other, so it is not entered.
EntryKind entryKind(const std::string& path) {
  struct stat entry;
#ifdef _WIN32
  if (::stat(path.c_str(), &entry) != 0) return EntryKind::Other;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (S_ISDIR(entry.st_mode) && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return EntryKind::Other;  // a link or junction to a folder
  }
#else
  if (::lstat(path.c_str(), &entry) != 0) return EntryKind::Other;
  if (S_ISLNK(entry.st_mode)) {
    if (::stat(path.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) return EntryKind::Other;
  }
#endif
  if (S_ISDIR(entry.st_mode)) return EntryKind::Directory;
  return S_ISREG(entry.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool isSourceName(std::string_view name, bool headers) {
  if (name.size() <= 2 || name[name.size() - 2] != '.') return false;
  const char last = name.back();
  return last == 'c' || (headers && last == 'h');
}

void collect(const std::string& directory, bool headers, std::vector<std::string>& files) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
  if (!dir) return;
  std::vector<std::string> below;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = directory + std::string(name);
    switch (entryKind(path)) {
      case EntryKind::File:
        if (isSourceName(name, headers)) files.push_back(std::move(path));
        break;
      case EntryKind::Directory:
        below.push_back(std::move(path) + "/");
        break;
      case EntryKind::Other:
        break;
    }
  }
  dir.reset();  // one directory open at a time, however deep the tree
  for (const std::string& sub : below) collect(sub, headers, files);
}

}  // namespace

bool isDirectory(const std::string& path) {
  struct stat entry;
  return ::stat(path.c_str(), &entry) == 0 && S_ISDIR(entry.st_mode);
}

std::vector<std::string> sourceFilesBelow(const std::string& directory, bool headers) {
  std::string top = directory;
  if (top.empty() || top.back() != '/') top += '/';
  std::vector<std::string> files;
  collect(top, headers, files);
  std::sort(files.begin(), files.end());
  return files;
}

namespace {

#ifdef _WIN32
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

/// The length of the part of `path` that names its root: "/", or on Windows a
/// drive ("C:/"); 0 for a relative path.
std::size_t rootLength(std::string_view path) {
  if (!path.empty() && isPathSeparator(path[0])) return 1;
  if (kBackslashSeparates && path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2])) {
    return 3;
  }
  return 0;
}

std::string currentDirectory() {
  std::string buffer(256, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::string_view(buffer.c_str()).size());
  return buffer;
}

}  // namespace

bool isPathSeparator(char c) {
  return c == '/' || (kBackslashSeparates && c == '\\');
}

std::string absolutePath(const std::string& path) {
  std::string whole = path;
  if (rootLength(path) == 0) {
    const std::string current = currentDirectory();
    if (current.empty()) return {};
    whole = current + "/" + path;
  }
  for (char& c : whole) {
    if (isPathSeparator(c)) c = '/';
  }
  const std::size_t root = rootLength(whole);
  std::vector<std::string_view> parts;
  std::string_view rest = std::string_view(whole).substr(root);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('/'), rest.size());
    const std::string_view part = rest.substr(0, end);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  std::string result = whole.substr(0, root);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result += parts[i];
  }
  if (!parts.empty() && whole.back() == '/') result += '/';
  return result;
}

}  // namespace quenwick
