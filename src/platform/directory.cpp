#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
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

}  // namespace quenwick
