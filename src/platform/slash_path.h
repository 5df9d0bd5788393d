// Arguments that start with "/": an option prefix on the program's home platform,
// the start of every absolute path on Linux.
#pragma once

#include <string>

namespace quenwick {

/// True when `argument`, which starts with "/", is a file name rather than an
/// option. On Linux it is one when it names an existing file system entry or holds
/// a second "/" after the first byte: read as an option, "/tmp/x.c" would be "-T"
/// with the value "mp/x.c" and overwrite that file. Elsewhere "/" always starts an
/// option.
bool isSlashPath(const std::string& argument);

}  // namespace quenwick
