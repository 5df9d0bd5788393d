// Texts written into the quoted strings of JSON and DOT.
#pragma once

#include <string>
#include <string_view>

namespace quenwick {

/// Appends `utf8` as the inside of a JSON string: quote, backslash and control
/// characters escaped. With `forHtml`, also "<", ">", "&" and U+2028/U+2029, so
/// that the string can stand inside an HTML script element.
void appendJsonEscaped(std::string_view utf8, std::string& out, bool forHtml = false);

/// Appends `utf8` as the inside of a DOT quoted string: quote and backslash
/// escaped, so that Graphviz's own backslash sequences stay text; every other
/// byte as it is (a quoted string may hold any of them).
void appendDotEscaped(std::string_view utf8, std::string& out);

}  // namespace quenwick
