// Texts written into the quoted strings of JSON and DOT.
#pragma once

#include <string>
#include <string_view>

namespace quenwick {

/// Appends `utf8` (valid UTF-8) as the inside of a JSON string: quote, backslash
/// and control characters escaped. With `forHtml`, also "<", ">", "&" and every
/// character beyond ASCII, so that the string can stand inside an HTML script
/// element and the page's data is ASCII.
void appendJsonEscaped(std::string_view utf8, std::string& out, bool forHtml = false);

/// Appends `utf8` as a DOT quoted string: quote and backslash escaped, so that
/// Graphviz's own backslash sequences stay text, and every other byte as it is (a
/// quoted string may hold any of them). A long text becomes several quoted pieces
/// joined by "+", since Graphviz reads at most 16384 bytes in one.
void appendDotString(std::string_view utf8, std::string& out);

/// Appends a DOT label of two lines, `first` and `second`, quoted as by
/// `appendDotString` with Graphviz's line break between them.
void appendDotLabel(std::string_view first, std::string_view second, std::string& out);

}  // namespace quenwick
