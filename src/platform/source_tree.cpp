#include "platform/source_tree.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace quenwick {

namespace fs = std::filesystem;

namespace {

std::string slashed(const fs::path& path) {
  std::string text = path.generic_string();
  return text;
}

bool isSourceName(const std::string& name) {
  return name.size() > 2 && name[name.size() - 2] == '.' &&
         (name.back() == 'c' || name.back() == 'h');
}

/// The state of one walk.
struct Walk {
  const SourceTreeRules& rules;
  SourceTree& tree;
  std::set<std::string> seenFolders;  // canonical folders entered
  std::set<std::string> seenFiles;    // canonical files taken

  bool allowedTarget(const std::string& canonical) const {
    for (const std::string& folder : rules.within) {
      if (isWithinFolder(canonical, folder)) return true;
    }
    return false;
  }

  bool leftOut(const std::string& canonical) const {
    for (const std::string& folder : rules.leftOut) {
      if (isWithinFolder(canonical, folder)) return true;
    }
    return false;
  }

  void takeFile(const std::string& path, const std::string& canonical) {
    if (!seenFiles.insert(canonical).second) return;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(canonical, error);
    if (error) return;
    if (rules.maxFileSize != 0 && size > rules.maxFileSize) {
      tree.tooLarge.push_back(path);
      return;
    }
    tree.files.push_back(path);
  }

  // `folder` as reached, `real` its canonical form.
  void enter(const std::string& folder, const std::string& real, std::size_t depth) {
    if (depth > rules.maxDepth) return;
    std::error_code error;
    std::vector<std::pair<std::string, fs::file_status>> entries;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::error_code statusError;
      fs::file_status status = it->symlink_status(statusError);
      if (statusError) continue;
      entries.emplace_back(it->path().filename().generic_string(), status);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<std::string, std::string>> below;
    for (const auto& [name, status] : entries) {
      const std::string path = folder + "/" + name;
      bool folderEntry = fs::is_directory(status);
      bool fileEntry = fs::is_regular_file(status);
      // Only a link needs resolving: below a canonical folder, a plain entry's path is
      // canonical already.
      std::string canonical = real == "/" ? real + name : real + "/" + name;
      if (fs::is_symlink(status)) {
        canonical = canonicalPath(path);
        if (canonical.empty()) continue;
        std::error_code targetError;
        const fs::file_status target = fs::status(path, targetError);
        if (targetError) continue;
        folderEntry = fs::is_directory(target);
        fileEntry = fs::is_regular_file(target);
        if ((folderEntry || (fileEntry && isSourceName(name))) && !allowedTarget(canonical)) {
          tree.outside.push_back(path);
          continue;
        }
      }
      if (folderEntry) {
        if (!name.empty() && name[0] == '.') continue;
        if (leftOut(canonical) || !seenFolders.insert(canonical).second) continue;
        below.emplace_back(path, canonical);
      } else if (fileEntry && isSourceName(name) && !leftOut(canonical)) {
        takeFile(path, canonical);
      }
    }
    for (const auto& [sub, subReal] : below) enter(sub, subReal, depth + 1);
  }
};

}  // namespace

std::string canonicalPath(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::canonical(path, error);
  if (error) return std::string();
  return slashed(canonical);
}

bool isWithinFolder(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

std::int64_t regularFileSize(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || error) return -1;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return -1;
  return static_cast<std::int64_t>(size);
}

void walkSourceTree(const std::string& root, const SourceTreeRules& rules, SourceTree& tree) {
  Walk walk{rules, tree, {}, {}};
  const std::string canonical = canonicalPath(root);
  if (canonical.empty() || walk.leftOut(canonical)) return;
  walk.seenFolders.insert(canonical);
  std::string top = root;
  while (top.size() > 1 && top.back() == '/') top.pop_back();
  walk.enter(top, canonical, 0);
}

}  // namespace quenwick
