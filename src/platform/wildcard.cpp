#include "platform/wildcard.h"

#ifndef _WIN32
#include <dirent.h>
#endif

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/ascii.h"
#include "platform/windows_api.h"

namespace quenwick {

namespace {

bool hasWildcard(std::string_view text) {
  return text.find_first_of("*?") != text.npos;
}

// Every name in `directory` ("" for the current one), "." and ".." included.
std::vector<std::string> listDirectory(const std::string& directory) {
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAA entry;
  HANDLE find = ::FindFirstFileA((directory + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(entry.cFileName);
  } while (::FindNextFileA(find, &entry));
  ::FindClose(find);
#else
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.empty() ? "." : directory.c_str()),
                                          ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) names.emplace_back(entry->d_name);
#endif
  return names;
}

std::vector<std::string> matchingNames(const std::string& directory, std::string_view pattern) {
  std::vector<std::string> names;
  for (std::string& name : listDirectory(directory)) {
    if (name == "." || name == "..") continue;
    if (matchWildcard(pattern, name)) names.push_back(std::move(name));
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

void appendExpansion(const std::string& argument, std::vector<std::string>& result) {
  if (!hasWildcard(argument)) {
    result.push_back(argument);
    return;
  }
  std::size_t cut = argument.find_last_of("\\/:");
  std::string directory = cut == std::string::npos ? "" : argument.substr(0, cut + 1);
  std::string_view pattern = std::string_view(argument).substr(directory.size());
  std::vector<std::string> names = matchingNames(directory, pattern);
  if (names.empty()) {
    result.push_back(argument);
    return;
  }
  for (const std::string& name : names) result.push_back(directory + name);
}

std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments) {
  std::vector<std::string> result;
  for (const std::string& argument : arguments) appendExpansion(argument, result);
  return result;
}

}  // namespace quenwick
