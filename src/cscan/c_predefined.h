// The macros a compiler defines before it reads a file.
#pragma once

#include <string_view>

namespace quenwick {

/// The predefined macros of GCC 12 for C on x86-64 Linux, as `gcc -dM -E` lists
/// them: one "#define NAME VALUE" line each.
std::string_view gccPredefinedText();

}  // namespace quenwick
