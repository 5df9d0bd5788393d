// The matching and ranking of workspace/symbol: names that hold the query, then
// names that hold its letters in order, whatever their case.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quenwick {

/// The most symbols one workspace/symbol answer holds.
inline constexpr std::size_t kMaxWorkspaceSymbols = 256;

/// How well `name` matches `query`, lower being better, or none when it does not
/// match. The ranks, best first: the same name; the same name in another letter
/// case; a prefix; a prefix in another case; a substring; a substring in another
/// case; the query's characters in order, in any case (ranked among themselves by
/// how spread out they are). An empty query matches every name at rank 0.
std::optional<std::size_t> matchRank(std::string_view name, std::string_view query);

}  // namespace quenwick
