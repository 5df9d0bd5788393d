#include "platform/wildcard.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "platform/ascii.h"

namespace quenwick {

namespace {

bool hasWildcard(std::string_view text) {
  return text.find_first_of("*?") != text.npos;
}

std::vector<std::string> matchingNames(const std::string& directory, std::string_view pattern) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.empty() ? "." : directory.c_str()),
                                          ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (matchWildcard(pattern, name)) names.emplace_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return wildcardNameLess(a, b); });
  return names;
}

}  // namespace

// Iterative matching with one back-track point: the last "*" seen.
bool matchWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && pattern[p] == name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool wildcardNameLess(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(asciiLower(a[i]));
    auto y = static_cast<unsigned char>(asciiLower(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments) {
  std::vector<std::string> result;
  for (const std::string& argument : arguments) {
    if (!hasWildcard(argument)) {
      result.push_back(argument);
      continue;
    }
    std::size_t cut = argument.find_last_of("\\/:");
    std::string directory = cut == std::string::npos ? "" : argument.substr(0, cut + 1);
    std::string_view pattern = std::string_view(argument).substr(directory.size());
    std::vector<std::string> names = matchingNames(directory, pattern);
    if (names.empty()) {
      result.push_back(argument);
      continue;
    }
    for (const std::string& name : names) result.push_back(directory + name);
  }
  return result;
}

}  // namespace quenwick
