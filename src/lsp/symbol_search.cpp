#include "lsp/symbol_search.h"

#include <string>

#include "platform/ascii.h"

namespace quenwick {

namespace {

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = asciiLower(c);
  return out;
}

// The spread of the shortest-starting in-order match of `query` in `name` (both
// lowered): the characters between its first and last letters that are not its own.
std::optional<std::size_t> subsequenceGap(std::string_view name, std::string_view query) {
  std::size_t at = 0;
  std::size_t first = std::string_view::npos;
  for (char c : query) {
    const std::size_t found = name.find(c, at);
    if (found == std::string_view::npos) return std::nullopt;
    if (first == std::string_view::npos) first = found;
    at = found + 1;
  }
  return at - first - query.size();
}

}  // namespace

std::optional<std::size_t> matchRank(std::string_view name, std::string_view query) {
  if (query.empty()) return 0;
  if (name == query) return 0;
  const std::string lowName = lowered(name);
  const std::string lowQuery = lowered(query);
  if (lowName == lowQuery) return 1;
  if (name.substr(0, query.size()) == query) return 2;
  if (std::string_view(lowName).substr(0, query.size()) == lowQuery) return 3;
  if (name.find(query) != std::string_view::npos) return 4;
  if (lowName.find(lowQuery) != std::string::npos) return 5;
  std::optional<std::size_t> gap = subsequenceGap(lowName, lowQuery);
  if (!gap) return std::nullopt;
  return 6 + *gap;
}

}  // namespace quenwick
