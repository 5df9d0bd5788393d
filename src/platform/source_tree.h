// The C files of a folder tree, walked for a long-running process that is pointed at
// a stranger's tree: hidden folders skipped, links followed only within the trees
// given, every folder entered once, and files over a size left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quenwick {

/// What a walk takes in and leaves out.
struct SourceTreeRules {
  std::vector<std::string> within;     // canonical folders that links may lead into
  std::vector<std::string> leftOut;    // canonical folders not entered
  std::uint64_t maxFileSize = 0;       // larger files are left out (0: no limit)
  std::size_t maxDepth = 256;          // folders deeper than this are not entered
};

/// What a walk found.
struct SourceTree {
  std::vector<std::string> files;     // every *.c and *.h file, as reached from the root
  std::vector<std::string> tooLarge;  // files over the size limit, left out
  std::vector<std::string> outside;   // links that lead out of `within`, not followed
};

/// Walks `root` in name order and appends what it finds to `tree`. A folder whose
/// name starts with "." is skipped; a link is followed only when its target lies in
/// one of `rules.within`; a folder or file reached a second time (through a link or a
/// cycle of links) is skipped.
void walkSourceTree(const std::string& root, const SourceTreeRules& rules, SourceTree& tree);

/// `path` with every link and "." or ".." resolved, or "" when it does not exist.
std::string canonicalPath(const std::string& path);

/// True when `path` is `folder` or lies below it (both canonical, "/" as separator).
bool isWithinFolder(const std::string& path, const std::string& folder);

/// The size of the regular file `path`, or -1 when it is none or cannot be read.
std::int64_t regularFileSize(const std::string& path);

}  // namespace quenwick
