// Macro expansion as the C preprocessor does it (C11 6.10.3): the arguments of a
// function-like macro are expanded before they replace its parameters, except
// next to # and ##; # makes a string and ## pastes two tokens; the result is
// scanned again; and a macro never expands inside its own expansion.
#pragma once

#include <cstddef>
#include <vector>

#include "cscan/c_expression.h"
#include "cscan/c_macros.h"

namespace quenwick {

/// Limits that keep an expansion bounded whatever the macros are.
struct ExpansionLimits {
  std::size_t tokens = 1 << 14;    // the most tokens an expansion may make
  std::size_t steps = 1 << 17;     // the most tokens it may look at
  int nesting = 64;                // the deepest arguments within arguments
};

/// Expands the macros of `macros` in `tokens` into `out`. A macro whose value is
/// not known (`MacroState::valueKnown` false) stays a name. False when the limits
/// were reached; `out` then holds what was made so far.
bool expandMacros(const std::vector<PpToken>& tokens, const MacroTable& macros,
                  std::vector<PpToken>& out, const ExpansionLimits& limits = {});

}  // namespace quenwick
