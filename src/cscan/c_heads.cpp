#include "cscan/c_heads.h"

#include "cscan/c_words.h"

namespace quenwick {

namespace {

/// A piece of a declaration at its outermost level.
struct Unit {
  /// What the piece is.
  enum Kind : std::uint8_t {
    Word,   // a name or keyword on its own
    Call,   // a name with a parenthesised group right after it
    Group,  // a parenthesised group after no name
    Other,  // any other token
  };
  Kind kind = Other;       // what it is
  std::size_t ident = 0;   // the name (Word, Call)
  std::size_t open = 0;    // the group's "(" (Call, Group)
  std::size_t close = 0;   // the group's ")" (Call, Group)
};

bool isName(const Token& token) {
  return token.kind == TokenKind::Identifier;
}

// The index of the ")" that closes the "(" at `open`, or `end` when none does.
std::size_t closing(std::span<const Token> tokens, std::size_t open, std::size_t end) {
  int depth = 0;
  for (std::size_t i = open; i < end; ++i) {
    if (tokens[i].is(Punct::LParen)) ++depth;
    if (tokens[i].is(Punct::RParen) && --depth == 0) return i;
  }
  return end;
}

// The outermost pieces of `tokens[begin, end)`; false when a group is not closed.
bool unitsOf(std::span<const Token> tokens, std::size_t begin, std::size_t end,
             std::vector<Unit>& units) {
  units.clear();
  for (std::size_t i = begin; i < end; ++i) {
    const Token& token = tokens[i];
    Unit unit;
    if (isName(token)) {
      unit.kind = Unit::Word;
      unit.ident = i;
      if (i + 1 < end && tokens[i + 1].is(Punct::LParen) && !isDeclarationWord(token.text)) {
        unit.kind = Unit::Call;
        unit.open = i + 1;
        unit.close = closing(tokens, i + 1, end);
        if (unit.close == end) return false;
        i = unit.close;
      }
    } else if (token.is(Punct::LParen)) {
      unit.kind = Unit::Group;
      unit.open = i;
      unit.close = closing(tokens, i, end);
      if (unit.close == end) return false;
      i = unit.close;
    } else if (token.is(Punct::RParen)) {
      continue;  // one too many: nothing to pair it with
    }
    units.push_back(unit);
  }
  return true;
}

std::string_view textOf(std::span<const Token> tokens, std::size_t i) {
  return tokens[i].text;
}

// True when the group from `open` to `close` reads like parameters: `void`,
// `...`, or some item with a type before a name (`int x`, `char *s`).
bool looksLikeParams(std::span<const Token> tokens, std::size_t open, std::size_t close) {
  if (close == open + 2) {
    const Token& only = tokens[open + 1];
    if (only.is(Punct::Ellipsis) || only.text == "void") return true;
  }
  int depth = 0;
  for (std::size_t i = open + 1; i + 1 < close; ++i) {
    const Token& token = tokens[i];
    if (token.is(Punct::LParen)) ++depth;
    if (token.is(Punct::RParen)) --depth;
    if (depth != 0 || !isName(token)) continue;
    const Token& after = tokens[i + 1];
    if (isName(after) || after.is(Punct::Star) || after.is(Punct::Ellipsis)) return true;
    if (isDeclarationWord(token.text)) return true;
  }
  return false;
}

bool isSkippableTrailer(std::span<const Token> tokens, const Unit& unit) {
  if (unit.kind == Unit::Word) return !isKeyword(textOf(tokens, unit.ident));
  if (unit.kind == Unit::Call) return isAttributeWord(textOf(tokens, unit.ident));
  return false;
}

/// Finds the defined name inside a declarator group such as `(f)`, `(*f(int))`.
bool nameInDeclarator(std::span<const Token> tokens, const Unit& group, const Unit& params,
                      Head& head) {
  std::vector<Unit> inner;
  if (!unitsOf(tokens, group.open + 1, group.close, inner) || inner.empty()) return false;
  // `(f)`, and `(PNGAPI f)` with a calling convention before the name.
  bool annotated = inner.back().kind == Unit::Word && !isKeyword(textOf(tokens, inner.back().ident));
  for (std::size_t k = 0; annotated && k + 1 < inner.size(); ++k) {
    const std::string_view word = textOf(tokens, inner[k].ident);
    annotated = (inner[k].kind == Unit::Word && looksLikeAnnotation(word)) ||
                (inner[k].kind == Unit::Call && isAttributeWord(word));
  }
  if (annotated) {
    head.name = inner.back().ident;
    head.paramsOpen = params.open;
    head.paramsClose = params.close;
    return true;
  }
  for (std::size_t k = inner.size(); k-- > 0;) {
    const Unit& unit = inner[k];
    if (unit.kind == Unit::Call && !isKeyword(textOf(tokens, unit.ident)) &&
        !isAttributeWord(textOf(tokens, unit.ident))) {
      head.name = unit.ident;
      head.paramsOpen = unit.open;
      head.paramsClose = unit.close;
      return true;
    }
    if (unit.kind == Unit::Group) {
      // `(*(f))(x)` and deeper: the group holds the declarator.
      if (k + 1 < inner.size() && inner[k + 1].kind == Unit::Group) {
        return nameInDeclarator(tokens, unit, inner[k + 1], head);
      }
      if (inner.size() == k + 1 && nameInDeclarator(tokens, unit, params, head)) return true;
    }
  }
  return false;
}

// The position of the candidate before `k`, skipping annotation words and
// attribute groups; npos when there is none.
std::size_t previousCandidate(std::span<const Token> tokens, const std::vector<Unit>& units,
                              std::size_t k) {
  while (k-- > 0) {
    const Unit& unit = units[k];
    if (unit.kind == Unit::Word && looksLikeAnnotation(textOf(tokens, unit.ident))) continue;
    if (unit.kind == Unit::Call && isAttributeWord(textOf(tokens, unit.ident))) continue;
    if (unit.kind == Unit::Call && !isKeyword(textOf(tokens, unit.ident))) return k;
    if (unit.kind == Unit::Group && k > 0 &&
        (units[k - 1].kind == Unit::Group || units[k - 1].kind == Unit::Call)) {
      return k;
    }
    return std::string_view::npos;
  }
  return std::string_view::npos;
}

// Puts into `head` the name that the piece at `k` defines; false when it is none.
bool headAt(std::span<const Token> tokens, const std::vector<Unit>& units, std::size_t k,
            Head& head) {
  const Unit& unit = units[k];
  if (unit.kind == Unit::Call) {
    const std::string_view name = textOf(tokens, unit.ident);
    if (isKeyword(name) || isNotCallable(name)) return false;
    head.name = unit.ident;
    head.paramsOpen = unit.open;
    head.paramsClose = unit.close;
    return true;
  }
  if (unit.kind == Unit::Group && k > 0) {
    const Unit& before = units[k - 1];
    Unit group = before;
    if (before.kind == Unit::Call) {
      // `T (f)(void)`: the name before the declarator group is its type.
      group.kind = Unit::Group;
    } else if (before.kind != Unit::Group) {
      return false;
    }
    return nameInDeclarator(tokens, group, unit, head);
  }
  return false;
}

// The function head that ends `tokens[0, end)`, after trailing annotations.
bool findHead(std::span<const Token> tokens, std::size_t end, Head& head) {
  std::vector<Unit> units;
  if (!unitsOf(tokens, 0, end, units)) return false;
  std::size_t k = units.size();
  while (k > 0 && isSkippableTrailer(tokens, units[k - 1])) --k;
  if (k == 0) return false;
  std::size_t candidate = k - 1;
  if (!headAt(tokens, units, candidate, head)) return false;
  // Annotation macros after the parameters: PRINTF(1, 2), __releases(x).
  for (;;) {
    const Unit& unit = units[candidate];
    if (unit.kind != Unit::Call || !looksLikeAnnotation(textOf(tokens, unit.ident)) ||
        looksLikeParams(tokens, unit.open, unit.close)) {
      break;
    }
    const std::size_t before = previousCandidate(tokens, units, candidate);
    if (before == std::string_view::npos) break;
    Head earlier;
    if (!headAt(tokens, units, before, earlier)) break;
    head = earlier;
    candidate = before;
  }
  for (std::size_t i = 0; i < head.name; ++i) {
    if (isName(tokens[i]) && tokens[i].text == "static") head.isStatic = true;
  }
  head.pointerParams = pointerNames(tokens, head.paramsOpen, head.paramsClose);
  head.kind = Head::Function;
  return true;
}

bool hasInitializer(std::span<const Token> decl) {
  int depth = 0;
  for (const Token& token : decl) {
    if (token.is(Punct::LParen)) ++depth;
    if (token.is(Punct::RParen)) --depth;
    if (depth == 0 && token.is(Punct::Assign)) return true;
  }
  return false;
}

}  // namespace

Head readHead(std::span<const Token> decl) {
  Head head;
  if (decl.empty()) return head;
  if (decl.size() == 2 && decl[0].text == "extern" && decl[1].kind == TokenKind::String) {
    head.kind = Head::ExternC;
    return head;
  }
  if (hasInitializer(decl)) return head;
  if (!findHead(decl, decl.size(), head)) head = Head{};
  return head;
}

bool readOldStyleHead(std::span<const Token> decl, Head& head) {
  if (decl.empty() || hasInitializer(decl)) return false;
  std::vector<Unit> units;
  if (!unitsOf(decl, 0, decl.size(), units)) return false;
  // The first name with a group of names alone; its first parameter declaration
  // may follow it before the ";".
  for (const Unit& unit : units) {
    if (unit.kind == Unit::Group) return false;
    if (unit.kind != Unit::Call) continue;
    if (isKeyword(decl[unit.ident].text) || isAttributeWord(decl[unit.ident].text)) return false;
    bool anyName = false;
    for (std::size_t i = unit.open + 1; i < unit.close; ++i) {
      const Token& token = decl[i];
      if (isName(token) && !isKeyword(token.text)) {
        anyName = true;
      } else if (!token.is(Punct::Comma)) {
        return false;
      }
    }
    if (!anyName) return false;
    head = Head{};
    head.kind = Head::Function;
    head.name = unit.ident;
    head.paramsOpen = unit.open;
    head.paramsClose = unit.close;
    for (std::size_t i = 0; i < unit.ident; ++i) {
      if (isName(decl[i]) && decl[i].text == "static") head.isStatic = true;
    }
    return true;
  }
  return false;
}

std::vector<std::string_view> pointerNames(std::span<const Token> tokens, std::size_t open,
                                           std::size_t close) {
  std::vector<std::string_view> names;
  for (std::size_t i = open + 1; i + 2 < close; ++i) {
    if (!tokens[i].is(Punct::LParen) || !tokens[i + 1].is(Punct::Star)) continue;
    std::size_t at = i + 2;
    while (at < close && isName(tokens[at]) && isDeclarationWord(tokens[at].text)) ++at;
    if (at + 1 < close && isName(tokens[at]) &&
        (tokens[at + 1].is(Punct::RParen) || tokens[at + 1].is(Punct::LBracket))) {
      names.push_back(tokens[at].text);
    }
  }
  return names;
}

}  // namespace quenwick
