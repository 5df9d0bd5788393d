// Words of C that the scan treats apart: keywords and operators that take
// parentheses (never calls, never definitions), type words, and attribute words.
#pragma once

#include <string_view>

namespace quenwick {

/// True for a word followed by "(" that is no call: a keyword or operator such as
/// if, while, sizeof, typeof, __attribute__, _Generic, asm, defined.
bool isNotCallable(std::string_view word);

/// True for a keyword that can start or make part of a declaration's specifiers:
/// int, char, struct, static, const, unsigned, inline and the like.
bool isDeclarationWord(std::string_view word);

/// True for any C keyword (C23 and the common GNU spellings included).
bool isKeyword(std::string_view word);

/// True for a word whose parenthesised group is an attribute or an assembler
/// label, never a parameter list: __attribute__, __declspec, asm, _Alignas...
bool isAttributeWord(std::string_view word);

/// True for a word whose parenthesised group holds no call that a program makes:
/// attributes, typeof, static assertions, and sizeof, whose operand is never evaluated.
bool holdsNoCalls(std::string_view word);

/// True for a word that reads like an annotation macro: all capitals, digits and
/// underscores with a capital among them, or starting with two underscores.
bool looksLikeAnnotation(std::string_view word);

}  // namespace quenwick
