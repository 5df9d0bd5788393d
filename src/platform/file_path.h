// File names as text: joined, made absolute, put in normal form without asking
// the file system (links are not followed), shown relative to the current
// directory, and matched against patterns.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quenwick {

/// True when `path` is absolute ("/x"; on Windows also "C:\x", "C:/x", "\\host\x").
bool isAbsolutePath(std::string_view path);

/// `name` when it is absolute, else `directory` and `name` joined by one "/".
std::string joinPath(std::string_view directory, std::string_view name);

/// `path` with "." parts, empty parts and "x/.." pairs taken out, as text only
/// ("a/./b/../c" is "a/c"; ".." at the start of a relative path stays). On
/// Windows "\" counts as "/" and comes out as "/".
std::string normalPath(std::string_view path);

/// The folder part of `path` ("a/b.h" gives "a", "b.h" gives ".").
std::string folderOf(std::string_view path);

/// The current directory, absolute (empty when it cannot be told).
std::string currentDirectory();

/// `path` made absolute against `base` (itself absolute) and put in normal form.
std::string absolutePath(std::string_view path, std::string_view base);

/// An absolute `path` as a user would name it from `base` (absolute, links
/// followed, as the current folder is): relative when it lies below `base`, also
/// through links in its folders, else as it is.
std::string shownPath(const std::string& path, const std::string& base);

/// `path` with every link followed, absolute (empty when it does not exist).
std::string resolvedPath(const std::string& path);

/// `resolvedPath` for many paths in few folders (a build's files and search
/// folders): each folder is resolved once, then a path costs one look at its last
/// part, once (a database names the same folders in every entry). Not safe for
/// threads.
class PathResolver {
 public:
  /// What `resolvedPath(path)` gives for an absolute `path`.
  std::string resolved(const std::string& path);
  /// What `shownPath(path, base)` gives.
  std::string shown(const std::string& path, const std::string& base);

 private:
  std::string resolvedOnce(const std::string& path);

  std::unordered_map<std::string, std::string> folders_;  // each folder asked, resolved (empty: none)
  std::unordered_map<std::string, std::string> paths_;    // each path asked, resolved (empty: none)
};

/// True when `path` names a regular file (a link to one included).
bool isRegularFile(const std::string& path);

/// The names in the folder `path` ("." and ".." left out), sorted; none when it
/// cannot be read.
std::vector<std::string> folderEntries(const std::string& path);

/// True when `path` matches `pattern`, where "*" matches any run of bytes but "/",
/// "**" any run at all, and "?" one byte but "/". Case matters.
bool matchPathPattern(std::string_view pattern, std::string_view path);

}  // namespace quenwick
