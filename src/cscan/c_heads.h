// Definition heads: whether the tokens of a file-level declaration, up to the
// "{" that follows them, head a function's body, and which name they define.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "cscan/c_lexer.h"

namespace quenwick {

/// What a file-level "{" opens, read from the declaration before it.
struct Head {
  /// What the brace opens.
  enum Kind : std::uint8_t {
    Other,     // a struct, union or enum body, an initializer, or something unknown
    Function,  // a function's body
    ExternC,   // extern "C" { ... }: the declarations inside stay at file level
  };
  Kind kind = Other;                         // what the brace opens
  std::size_t name = 0;                      // index of the defined name's token
  std::size_t paramsOpen = 0;                // index of the "(" of its parameters
  std::size_t paramsClose = 0;               // index of the ")" of its parameters
  bool isStatic = false;                     // "static" stands before the name
  std::vector<std::string_view> pointerParams;  // parameters declared as (*name)
};

/// Reads `decl`, the tokens of one file-level declaration without its "{". A
/// function head is a name and its parameter group, then nothing but annotation
/// words, attribute groups and annotation macros such as PRINTF(1, 2); a macro
/// call before the name (`API(int *) parse(...)`) belongs to the return type, and
/// a name in parentheses (`int (f)(void)`) counts.
Head readHead(std::span<const Token> decl);

/// True when `decl`, a declaration ended by ";", is an old-style head whose
/// parameter declarations may follow: `f(a, b)` with names alone in the group.
/// Its head is then put in `head`.
bool readOldStyleHead(std::span<const Token> decl, Head& head);

/// The names that the group from `open` to `close` of `tokens` declares as
/// pointers to functions: each `( * name )`.
std::vector<std::string_view> pointerNames(std::span<const Token> tokens, std::size_t open,
                                           std::size_t close);

}  // namespace quenwick
