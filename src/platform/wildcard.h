// Expansion of "*" and "?" patterns in command-line arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenwick {

/// True when `name` matches `pattern` byte for byte, where "*" matches any run of
/// bytes (also none) and "?" exactly one byte. Case matters.
bool matchWildcard(std::string_view pattern, std::string_view name);

/// Orders names ascending by their bytes with A-Z taken as a-z; ties in plain byte order.
bool wildcardNameLess(std::string_view a, std::string_view b);

/// Appends `argument` to `result`, or in its place the names it matches when it holds
/// "*" or "?", as `expandWildcards` does for each argument.
void appendExpansion(const std::string& argument, std::vector<std::string>& result);

/// Replaces every argument holding "*" or "?" by the matching names of its directory
/// (the text up to and including the last "\", "/" or ":"; none: the current
/// directory), each written as that directory part followed by the name, sorted by
/// `wildcardNameLess`. "." and ".." never match. A pattern without a match stays.
std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments);

}  // namespace quenwick
