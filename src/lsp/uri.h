// File URIs of the protocol and the paths they stand for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quenwick {

/// The local path of a "file:" URI, percent escapes decoded, with "/" as separator
/// ("C:/dir/a.c" for "file:///c%3A/dir/a.c" on Windows). None for another scheme,
/// a remote host, a malformed escape or an escaped NUL byte.
std::optional<std::string> pathOfUri(std::string_view uri, bool windowsPaths);

/// The "file:" URI of the absolute path `path`: every byte but letters, digits and
/// "-._~/:" escaped ("file:///C:/dir/a.c" for "C:/dir/a.c" on Windows).
std::string uriOfPath(std::string_view path);

/// True when this build reads paths as Windows does (drive letters, "\\").
bool hostUsesWindowsPaths();

}  // namespace quenwick
