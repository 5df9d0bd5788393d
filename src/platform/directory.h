// Directories named as sources: the C files below them.
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

}  // namespace quenwick
