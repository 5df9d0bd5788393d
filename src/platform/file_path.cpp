#include "platform/file_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace quenwick {

namespace {

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// The length of the part of `path` that names its root ("/", "C:/", "//host/"), 0 for none.
std::size_t rootLength(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) return 3;
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    std::size_t end = path.find_first_of("/\\", 2);
    return end == std::string_view::npos ? path.size() : end + 1;
  }
#endif
  return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

}  // namespace

bool isAbsolutePath(std::string_view path) {
  return rootLength(path) > 0;
}

std::string joinPath(std::string_view directory, std::string_view name) {
  if (isAbsolutePath(name) || directory.empty()) return std::string(name);
  std::string joined(directory);
  if (!isSeparator(joined.back())) joined += '/';
  joined.append(name);
  return joined;
}

std::string normalPath(std::string_view path) {
  const std::size_t root = rootLength(path);
  // Most paths are normal already (a search folder and a header's name): each
  // part a name, each separator a "/".
  bool normal = !path.empty() && path.substr(0, root).find('\\') == std::string_view::npos;
  for (std::size_t at = root; normal && at <= path.size();) {
    std::size_t end = at;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::string_view part = path.substr(at, end - at);
    normal = !part.empty() && part != "." && part != ".." && (end == path.size() || path[end] == '/');
    at = end + 1;
  }
  if (normal) return std::string(path);
  std::string out(path.substr(0, root));
  for (char& c : out) {
    if (isSeparator(c)) c = '/';
  }
  std::vector<std::string_view> parts;
  std::size_t at = root;
  while (at <= path.size()) {
    std::size_t end = at;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::string_view part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (root == 0) {
        parts.push_back(part);  // above a relative start: kept
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out.append(parts[i]);
  }
  if (out.empty()) out.push_back('.');
  return out;
}

std::string folderOf(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && !isSeparator(path[end - 1])) --end;
  if (end == 0) return ".";
  const std::size_t root = rootLength(path);
  if (end <= root) return std::string(path.substr(0, root));
  return std::string(path.substr(0, end - 1));
}

std::string currentDirectory() {
  std::string buffer(4096, '\0');
  for (int tries = 0; tries < 8; ++tries) {
#ifdef _WIN32
    if (::_getcwd(buffer.data(), static_cast<int>(buffer.size())) != nullptr) {
#else
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
#endif
      buffer.resize(buffer.find('\0'));
      return normalPath(buffer);
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
  return std::string();
}

std::string absolutePath(std::string_view path, std::string_view base) {
  return normalPath(joinPath(base, path));
}

namespace {

// `path` relative to `base` when it lies below it, else empty.
std::string below(const std::string& path, const std::string& base) {
  if (path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
      path[base.size()] == '/') {
    return path.substr(base.size() + 1);
  }
  return std::string();
}

// shownPath, with `resolveFolder` following the links of a folder.
template <typename Resolve>
std::string shownThrough(const std::string& path, const std::string& base, Resolve resolveFolder) {
  if (base.empty() || base == "/") return path;
  std::string relative = below(path, base);
  if (!relative.empty()) return relative;
  // Below it through a link: the current folder is told with every link followed.
  const std::string folder = resolveFolder(folderOf(path));
  if (folder.empty()) return path;
  relative = below(joinPath(folder, path.substr(path.find_last_of('/') + 1)), base);
  return relative.empty() ? path : relative;
}

}  // namespace

std::string shownPath(const std::string& path, const std::string& base) {
  return shownThrough(path, base, [](const std::string& folder) { return resolvedPath(folder); });
}

std::string PathResolver::shown(const std::string& path, const std::string& base) {
  return shownThrough(path, base, [this](const std::string& folder) { return resolved(folder); });
}

std::string resolvedPath(const std::string& path) {
#ifdef _WIN32
  char buffer[_MAX_PATH];
  if (::_fullpath(buffer, path.c_str(), sizeof(buffer)) == nullptr) return std::string();
  return normalPath(buffer);
#else
  std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
  return resolved ? std::string(resolved.get()) : std::string();
#endif
}

std::string PathResolver::resolved(const std::string& path) {
  auto [known, isNew] = paths_.try_emplace(path);
  if (isNew) known->second = resolvedOnce(path);
  return known->second;
}

std::string PathResolver::resolvedOnce(const std::string& path) {
#ifdef _WIN32
  return resolvedPath(path);  // nothing to follow: the path in full is all it takes
#else
  const std::size_t slash = path.find_last_of('/');
  const std::string_view leaf = slash == std::string::npos ? std::string_view() : std::string_view(path).substr(slash + 1);
  if (slash == 0 || leaf.empty() || leaf == "." || leaf == "..") return resolvedPath(path);
  auto [at, isNew] = folders_.try_emplace(path.substr(0, slash));
  if (isNew) at->second = resolvedPath(at->first);
  if (at->second.empty()) return std::string();
  std::string candidate = joinPath(at->second, leaf);
  struct stat entry;
  if (::lstat(candidate.c_str(), &entry) != 0) return std::string();
  return S_ISLNK(entry.st_mode) ? resolvedPath(candidate) : candidate;
#endif
}

bool isRegularFile(const std::string& path) {
  struct stat entry;
  return ::stat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode);
}

std::vector<std::string> folderEntries(const std::string& path) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

bool matchFrom(std::string_view pattern, std::size_t p, std::string_view path, std::size_t s) {
  while (p < pattern.size()) {
    const char c = pattern[p];
    if (c == '*') {
      const bool crosses = p + 1 < pattern.size() && pattern[p + 1] == '*';
      const std::size_t rest = p + (crosses ? 2 : 1);
      for (std::size_t k = s; k <= path.size(); ++k) {
        if (matchFrom(pattern, rest, path, k)) return true;
        if (k < path.size() && !crosses && path[k] == '/') break;
      }
      return false;
    }
    if (s == path.size() || (c == '?' ? path[s] == '/' : c != path[s])) return false;
    ++p;
    ++s;
  }
  return s == path.size();
}

}  // namespace

bool matchPathPattern(std::string_view pattern, std::string_view path) {
  return matchFrom(pattern, 0, path, 0);
}

}  // namespace quenwick
