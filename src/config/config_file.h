// The configuration file quenwick.cfg in the program's directory.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"
#include "platform/console.h"

namespace quenwick {

/// The name of the configuration file, looked up in the program's directory.
inline constexpr std::string_view kConfigFileName = "quenwick.cfg";

/// Reads `programDir` + "quenwick.cfg" into `settings`. Lines whose key is unknown
/// are reported on `console.err`. False when the file cannot be opened (normal:
/// every setting keeps its value and nothing is reported).
bool readConfiguration(const std::string& programDir, Settings& settings, Console& console);

/// Copies `source` (the text after an opening double quote) into `destination` up
/// to the next double quote or the end of the text. Every byte is copied as it is:
/// a backslash escapes nothing. True when a closing quote stopped the copy.
bool extractQuotedValue(std::string& destination, std::string_view source);

/// The decimal integer at the start of `value`: leading blanks and a sign are
/// allowed; 0 when no digit follows. A value beyond the range of int is held at
/// the nearest end of it, so it never turns into 0.
int leadingInteger(std::string_view value);

}  // namespace quenwick
