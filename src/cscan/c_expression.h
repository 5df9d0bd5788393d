// The conditions of #if and #elif: macros expanded, then evaluated with C's
// precedence and integer rules, in three values: what cannot be known from the
// symbols the scan has makes the condition undecided.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cscan/c_lexer.h"
#include "cscan/c_macros.h"

namespace quenwick {

/// The value of a condition.
enum class Truth : std::uint8_t { False, True, Unknown };

/// One token of a condition or of a macro's replacement.
struct PpToken {
  /// What the token is.
  enum Kind : std::uint8_t { Identifier, Number, Character, String, Punct, Unknowable, Placemarker };
  Kind kind = Punct;         // what it is
  std::string text;          // its bytes
  bool spaceBefore = false;  // a blank stood before it
};

/// The token of a condition that the lexer's `token` stands for.
PpToken ppTokenOf(const Token& token);

/// Splits `text` into tokens (comments are blanks).
std::vector<PpToken> tokenizeExpression(std::string_view text);

/// The tokens of a macro's replacement `body`, split once per thread and kept:
/// the same bodies are expanded over and over. Past a bound on what is kept, the
/// tokens are made in `scratch`, which then holds what is returned.
const std::vector<PpToken>& bodyTokens(std::string_view body, std::vector<PpToken>& scratch);

/// Evaluates the condition `tokens` with the symbols of `macros`: `defined X` and
/// `defined(X)` are looked up first, object-like macros are expanded, a name left
/// over is 0 when it is known to be undefined. A name whose state is not known, a
/// function-like macro that cannot be expanded, a division by zero or a malformed
/// condition make the result Unknown unless the rest decides it (`0 && x`).
Truth evaluateCondition(const std::vector<PpToken>& tokens, const MacroTable& macros);

/// The value the condition has in a build that defines nothing the scan does not
/// know of: every symbol whose state is unknown is taken as undefined, and what
/// only the compiler could tell (__has_include and the like) as 0. A malformed
/// condition counts as true.
bool evaluateByDefault(const std::vector<PpToken>& tokens, const MacroTable& macros);

}  // namespace quenwick
