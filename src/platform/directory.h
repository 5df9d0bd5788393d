// Directories named as sources: the C files below them; paths made absolute.
#pragma once

#include <string>
#include <vector>

namespace quenwick {

/// True when `path` names a directory (a link to one included).
bool isDirectory(const std::string& path);

/// The paths of every file below `directory` whose name ends in ".c" (or, with
/// `headers`, in ".c" or ".h"), at any depth,
/// each written as `directory` (with one "/" after it) followed by the path inside
/// it, sorted by their bytes. Links to files count as files; links to directories
/// are not followed, so a loop of links ends. Entries that cannot be read are left
/// out.
std::vector<std::string> sourceFilesBelow(const std::string& directory, bool headers = false);

/// True when `c` separates the parts of a path: "/", and on Windows "\\" too.
bool isPathSeparator(char c);

/// `path` as an absolute path with "/" between its parts, taken from the current
/// directory when it is relative, and with its "." and ".." parts resolved by
/// name (links are not followed). A "/" at the end stays. Empty when the current
/// directory cannot be read.
std::string absolutePath(const std::string& path);

}  // namespace quenwick
