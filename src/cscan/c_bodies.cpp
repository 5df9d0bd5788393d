// The C scan inside function bodies: which names followed by "(" are calls, and
// which of them go through a pointer or a member.
#include <algorithm>

#include "cscan/c_expander.h"
#include "cscan/c_scanner.h"
#include "cscan/c_words.h"

namespace quenwick {

namespace {

bool isName(const Token& token) {
  return token.kind == TokenKind::Identifier;
}

bool isAsmWord(std::string_view word) {
  return (word[0] == 'a' || word[0] == '_') && (word == "asm" || word == "__asm__" || word == "__asm");
}

bool isAsmQualifier(std::string_view word) {
  return word == "volatile" || word == "__volatile__" || word == "__volatile" || word == "goto" ||
         word == "inline" || word == "__inline__";
}

}  // namespace

void CScanner::startBody(std::uint32_t definition, const Head& head) {
  current_ = definition;
  sharing_.clear();
  parens_.clear();
  statement_ = Statement{};
  tentative_ = Tentative{};
  prev_ = prev2_ = Token{};
  closed_ = Paren{};
  macroDepth_ = 0;
  macroExpands_ = false;
  macroClosed_ = false;
  brackets_.clear();
  closedBracket_ = Token{};
  asmNext_ = false;
  pointers_ = head.pointerParams;
}

void CScanner::bodyToken(const Token& token) {
  // Inside an attribute, asm or typeof group nothing counts but its parentheses.
  if (!parens_.empty() && parens_.back().skipped) {
    if (token.is(Punct::LParen)) {
      Paren inner;
      inner.skipped = true;
      parens_.push_back(inner);
    } else if (token.is(Punct::RParen)) {
      parens_.pop_back();
      closed_ = Paren{};
    }
    prev2_ = prev_;
    prev_ = token;
    return;
  }
  const bool macroClosed = macroClosed_;
  macroClosed_ = false;
  if (macroDepth_ != 0 && parens_.size() >= macroDepth_ &&
      !(parens_.size() == macroDepth_ && token.is(Punct::RParen)) &&
      (macroExpands_ || (!token.is(Punct::LParen) && !token.is(Punct::RParen)))) {
    macroTokens_.push_back(ppTokenOf(token));
  }
  // The use of an object-like macro that makes calls.
  if ((!objectMacros_.empty() || config_.build) && isName(prev_) && !token.is(Punct::LParen) &&
      !prev2_.is(Punct::Arrow) && !prev2_.is(Punct::Dot) && isCallingObjectMacro(prev_.text)) {
    recordCall(prev_, false);
    if (config_.build) recordObjectMacroExpansion(prev_);
  }
  const bool cancelled = tentative_.stage > 0 && stepTentative(token);
  if (token.kind == TokenKind::Punct) {
    switch (token.punct) {
      case Punct::LParen:
        if (!macroExpands_) macroDepth_ = 0;  // a group within the arguments: they are no plain name
        if (cancelled) {
          parens_.push_back(Paren{});
        } else {
          macroClosed_ = macroClosed;
          openParen(token);
          macroClosed_ = false;
        }
        break;
      case Punct::RParen:
        closeParen();
        break;
      case Punct::LBrace:
        blocks_.push_back(Block{Block::Inner, kNone, token.place});
        statement_ = Statement{};
        break;
      case Punct::RBrace:
        closeBrace(token);
        statement_ = Statement{};
        if (current_ == kNone) return;
        break;
      case Punct::Semicolon:
        if (parens_.empty()) statement_ = Statement{};
        break;
      case Punct::LBracket:
        brackets_.push_back(isName(prev_) ? prev_ : prev_.is(Punct::RBracket) ? closedBracket_ : Token{});
        if (parens_.empty()) statementToken(token);
        break;
      case Punct::RBracket:
        if (!brackets_.empty()) {
          closedBracket_ = brackets_.back();
          brackets_.pop_back();
        }
        if (parens_.empty()) statementToken(token);
        break;
      default:
        if (parens_.empty()) statementToken(token);
        break;
    }
  } else if (parens_.empty()) {
    statementToken(token);
  }
  if (!parens_.empty() && token.is(Punct::Comma)) ++parens_.back().argument;
  if (!parens_.empty() && !token.is(Punct::LParen) && !token.is(Punct::RParen)) {
    parenToken(parens_.back(), token);
  }
  if (!parens_.empty() && !token.is(Punct::LParen)) {
    Paren& inner = parens_.back();
    if (inner.tokens == 0 && token.is(Punct::Star)) inner.star = true;
    if (isName(token)) {
      inner.lastName = token;
      inner.lastIsMember = prev_.is(Punct::Arrow) || prev_.is(Punct::Dot);
    }
    ++inner.tokens;
  }
  if (isName(token)) {
    if (isAsmWord(token.text)) {
      asmNext_ = true;
    } else if (asmNext_ && !isAsmQualifier(token.text)) {
      asmNext_ = false;
    }
  } else if (asmNext_ && !token.is(Punct::LParen)) {
    asmNext_ = false;
  }
  prev2_ = prev_;
  prev_ = token;
}

// Follows `T ( * name ) (`: a declaration of a pointer to a function, not a call
// of T. True when `token` turns the call recorded at "T (" into that declaration.
bool CScanner::stepTentative(const Token& token) {
  switch (tentative_.stage) {
    case 1:
      tentative_.stage = token.is(Punct::Star) ? 2 : 0;
      return false;
    case 2:
      if (isName(token)) {
        tentative_.name = token;
        tentative_.stage = 3;
      } else {
        tentative_.stage = 0;
      }
      return false;
    case 3:
      tentative_.stage = token.is(Punct::RParen) ? 4 : 0;
      return false;
    case 4:
      tentative_.stage = 0;
      if (!token.is(Punct::LParen) && !token.is(Punct::LBracket)) return false;
      if (current_ != kNone && !callsOf_[current_].empty()) callsOf_[current_].pop_back();
      for (std::uint32_t also : sharing_) {
        if (!callsOf_[also].empty()) callsOf_[also].pop_back();
      }
      pointers_.push_back(tentative_.name.text);
      return true;
    default:
      tentative_.stage = 0;
      return false;
  }
}

void CScanner::openParen(const Token& paren) {
  (void)paren;
  Paren opened;
  if (isName(prev_)) {
    const std::string_view name = prev_.text;
    // assert() compiles to nothing once NDEBUG is defined.
    const bool deadAssert =
        name == "assert" && plainView().find("NDEBUG").kind == MacroState::Defined;
    if (holdsNoCalls(name) || deadAssert ||
        (asmNext_ && (isAsmWord(name) || isAsmQualifier(name)))) {
      opened.skipped = true;
      asmNext_ = false;
      parens_.push_back(opened);
      return;
    }
    if (isNotCallable(name)) {
      // A keyword: if, while, sizeof, return...
    } else if (prev2_.is(Punct::Arrow) || prev2_.is(Punct::Dot)) {
      recordCall(prev_, true);
    } else if (parens_.empty() && statement_.declarator == prev_.place &&
               statement_.declarator.line != 0) {
      // The declarator of a declaration in the body: `int helper(int);`.
    } else {
      const bool indirect = isPointerName(name);
      const bool macro = !indirect && makesName(name);
      recordCall(prev_, indirect, macro);
      if (!indirect && objectMacroWithGroup(name) != nullptr) {
        // `#define fatal (*(set_loc(__FILE__, __LINE__), r_fatal))`: fatal(...) calls r_fatal.
        const std::string_view designated = designatedFunction(name);
        if (!designated.empty()) recordCall(designated, prev_.place, false);
        // `#define xmlGenericError (*(__xmlGenericError()))`, whose callee another
        // macro renames: xmlGenericError(...) calls what the expansion calls.
        recordObjectMacroExpansion(prev_);
      }
      if (!indirect) tentative_.stage = 1;
      // A plain build compiles no call in an argument that the macro drops.
      if (!indirect) opened.dropped = unusedArguments(name);
      if (macro && macroDepth_ == 0) {
        macroName_ = prev_;
        macroTokens_.clear();
        macroDepth_ = parens_.size() + 1;
        macroExpands_ = makesCalls(name);
      }
    }
  } else if (prev_.is(Punct::RBracket) && isName(closedBracket_)) {
    recordCall(closedBracket_, true);  // handlers[i](x): through an element
  } else if (prev_.is(Punct::RParen)) {
    // A call of what a parenthesised group gives: (*fp)(x), (p->fn)(x), (fn)(x);
    // with a build, PRIV(f)(x) calls the name that the macro makes.
    const std::string_view made = macroClosed_ ? nameMadeByMacro() : std::string_view();
    if (!made.empty()) {
      recordCall(made, macroName_.place, false);
    } else if (closed_.declarator) {
      if (isName(closed_.lastName)) pointers_.push_back(closed_.lastName.text);
    } else if (isName(closed_.lastName) && (closed_.star || closed_.lastIsMember)) {
      recordCall(closed_.lastName, true);
    } else if (isName(closed_.lastName) && closed_.tokens == 1 && !isKeyword(closed_.lastName.text)) {
      // `(fn)(x)` calls fn; `(int)(x)` is a cast.
      recordCall(closed_.lastName, isPointerName(closed_.lastName.text));
    }
  }
  opened.declarator = parens_.empty()
                          ? statement_.specifiersOnly && statement_.hasSpecifier
                          : parens_.back().specifiersOnly && parens_.back().hasSpecifier;
  if (parens_.empty() && !opened.declarator) statement_.specifiersOnly = false;
  parens_.push_back(opened);
}

// Follows, inside a group, whether what came since it opened (or since its last
// ";" or ",") is declaration words alone: `for (int (*q)(int) = 0; ...)`.
void CScanner::parenToken(Paren& paren, const Token& token) {
  if (token.is(Punct::Semicolon) || token.is(Punct::Comma)) {
    paren.specifiersOnly = true;
    paren.hasSpecifier = false;
    paren.tagNext = false;
    return;
  }
  if (!paren.specifiersOnly) return;
  if (isName(token)) {
    if (isDeclarationWord(token.text)) {
      paren.hasSpecifier = true;
      paren.tagNext = token.text == "struct" || token.text == "union" || token.text == "enum";
    } else if (paren.tagNext) {
      paren.tagNext = false;
    } else {
      paren.specifiersOnly = false;
    }
    return;
  }
  if (!(token.is(Punct::Star) && paren.hasSpecifier)) paren.specifiersOnly = false;
}

void CScanner::closeParen() {
  if (parens_.empty()) return;
  const bool closesMacro = macroDepth_ == parens_.size();
  closed_ = parens_.back();
  parens_.pop_back();
  if (closesMacro) {
    // Its calls are the enclosing group's, not of an argument it drops.
    macroClosed_ = true;
    macroDepth_ = 0;
    if (macroExpands_) recordExpansionCalls(expandMacroCall(), macroName_.place, macroTokens_);
    macroExpands_ = false;
  }
}

// True when `name` is a function-like macro of the build whose call may make the
// name of a function, as `PRIV(compile)` makes `_pcre2_compile_8`.
bool CScanner::makesName(std::string_view name) const {
  if (!config_.build || !config_.compiledNames || !macros_.mayHoldFunctionLike()) return false;
  const MacroState& state = macros_.find(name);
  return state.kind == MacroState::Defined && state.functionLike && state.valueKnown;
}

// With a build, the object-like macro `name` when its replacement holds a "(":
// only such a macro may call or give a function.
const MacroState* CScanner::objectMacroWithGroup(std::string_view name) const {
  if (!config_.build) return nullptr;
  const MacroState& state = macros_.find(name);
  if (state.kind != MacroState::Defined || state.functionLike || !state.valueKnown ||
      state.body.find('(') == std::string_view::npos) {
    return nullptr;
  }
  return &state;
}

// True when a use of `name` is a call of the object-like macro of that name: one
// that the file defines to call something (`#define LITTLE_ENDIAN
// is_little_endian()`), or with a build, that a header does (`#define INTON ({ ...
// onint(); })`). The reserved names that a system header's macros call are the
// system's own (`#define errno (*__errno_location ())`): they are left to it. A
// project's are its own: `#define xmlDefaultSAXLocator (*(__xmlDefaultSAXLocator()))`.
bool CScanner::isCallingObjectMacro(std::string_view name) {
  if (objectMacros_.count(name) != 0) return true;
  const MacroState* state = objectMacroWithGroup(name);
  if (state == nullptr) return false;
  auto [found, isNew] = callingBodies_.try_emplace(state->body.data(), false);
  if (!isNew) return found->second;
  auto calls = [&](const std::vector<PpToken>& tokens) {
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
      const std::string& word = tokens[i].text;
      const bool reserved =
          word.size() > 1 && word[0] == '_' && (word[1] == '_' || (word[1] >= 'A' && word[1] <= 'Z'));
      if (tokens[i].kind == PpToken::Identifier && tokens[i + 1].text == "(" &&
          !(reserved && state->fromSystem) && word != name && !isNotCallable(word)) {
        return true;
      }
    }
    return false;
  };
  // Its own text calls (`#define SOCKERRNO (errno)` does not), and so does what it
  // expands to: `#define M2_MIN_OFFSET __MIN_OFFSET(M2X_BITS)` with `#define
  // __MIN_OFFSET(bits) 1` calls nothing.
  std::vector<PpToken> scratch;
  if (calls(bodyTokens(state->body, scratch))) {
    std::vector<PpToken> expanded;
    expandMacros({PpToken{PpToken::Identifier, std::string(name), false}}, macros_, expanded);
    found->second = calls(expanded);
  }
  return found->second;
}

// With a build, records what the use of the object-like macro `name` calls through
// its expansion when its own record cannot show it (see `makesCalls`), unless a
// macro call around it is expanded, which records them.
void CScanner::recordObjectMacroExpansion(const Token& name) {
  if (!config_.compiledNames || (macroDepth_ != 0 && macroExpands_) || !makesCalls(name.text)) return;
  std::vector<PpToken> expanded;
  expandMacros({ppTokenOf(name)}, macros_, expanded);
  recordExpansionCalls(expanded, name.place, {});
}

// The function that the object-like macro `name` of a build gives as the last
// operand of a comma expression, `(*(set_loc(__FILE__, __LINE__), r_fatal))` or
// `(enter_state(s), error_noabort)`: a call through the macro calls it. Empty for
// any other macro or name.
std::string_view CScanner::designatedFunction(std::string_view name) {
  const MacroState* state = objectMacroWithGroup(name);
  if (state == nullptr) return {};
  auto [found, isNew] = designatedBy_.try_emplace(state->body.data());
  if (!isNew) return found->second;
  std::vector<PpToken> expanded;
  expandMacros({PpToken{PpToken::Identifier, std::string(name), false}}, macros_, expanded);
  std::size_t begin = 0;
  std::size_t end = expanded.size();
  // Takes off `*`, `&` and the parentheses around the whole.
  auto strip = [&]() {
    for (bool again = true; again && begin < end;) {
      again = false;
      if (expanded[begin].text == "*" || expanded[begin].text == "&") {
        ++begin;
        again = true;
      } else if (expanded[begin].text == "(" && expanded[end - 1].text == ")") {
        int depth = 0;
        std::size_t close = begin;
        for (; close < end; ++close) {
          if (expanded[close].text == "(") ++depth;
          if (expanded[close].text == ")" && --depth == 0) break;
        }
        if (close == end - 1) {
          ++begin;
          --end;
          again = true;
        }
      }
    }
  };
  strip();
  std::size_t comma = SIZE_MAX;
  int depth = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const std::string& text = expanded[i].text;
    if (text == "(" || text == "[" || text == "{") ++depth;
    if (text == ")" || text == "]" || text == "}") --depth;
    if (depth == 0 && text == ",") comma = i;
  }
  if (comma == SIZE_MAX) return {};
  begin = comma + 1;
  strip();
  if (end == begin + 1 && expanded[begin].kind == PpToken::Identifier && !isKeyword(expanded[begin].text)) {
    found->second = keep(expanded[begin].text);
  }
  return found->second;
}

// True when the macro `name` makes calls that its own record cannot show: names
// it pastes (`name##_RB_FIND(x)`), a name followed by a parameter (`event_debugx_
// args`), a parameter called (`H(2)`), or a call of a name that another macro
// makes (`PRIV(f)(x)`, or `f(x)` where `#define f PCRE2_SUFFIX(f_)`), which only
// its expansion calls.
bool CScanner::makesCalls(std::string_view name) {
  const MacroState& state = macros_.find(name);
  if (state.kind != MacroState::Defined || !state.valueKnown) return false;
  auto found = makesCalls_.find(std::string(name));
  if (found != makesCalls_.end() && found->second.body == state.body.data()) return found->second.makes;
  bool makes = false;
  std::vector<PpToken> scratch;
  const std::vector<PpToken>& tokens = bodyTokens(state.body, scratch);
  for (std::size_t i = 0; i < tokens.size() && !makes; ++i) {
    const bool pastes = tokens[i].text == "##";
    const bool isParameter =
        tokens[i].kind == PpToken::Identifier &&
        std::find(state.params.begin(), state.params.end(), tokens[i].text) != state.params.end();
    const bool nameThenParameter = isParameter && i > 0 && tokens[i - 1].kind == PpToken::Identifier;
    // `#define FOR_HASHERS(H) H(2) H(3)`: the argument names what is called.
    const bool parameterCalled = isParameter && i + 1 < tokens.size() && tokens[i + 1].text == "(";
    makes = pastes || nameThenParameter || parameterCalled ||
            (tokens[i].kind == PpToken::Identifier && tokens[i].text != name &&
             (callsMadeName(tokens, i) || passesCalledParameter(tokens, i, state.params, 0)));
  }
  makesCalls_.insert_or_assign(std::string(name), MadeCalls{state.body.data(), makes});
  return makes;
}

namespace {

// The arguments of the call whose "(" is at `open`: each one's first and past-last token.
std::vector<std::pair<std::size_t, std::size_t>> argumentsAt(const std::vector<PpToken>& tokens,
                                                              std::size_t open) {
  std::vector<std::pair<std::size_t, std::size_t>> arguments;
  int depth = 0;
  std::size_t begin = open + 1;
  for (std::size_t i = open; i < tokens.size(); ++i) {
    if (tokens[i].text == "(") {
      ++depth;
    } else if (tokens[i].text == ")" && --depth == 0) {
      arguments.emplace_back(begin, i);
      return arguments;
    } else if (tokens[i].text == "," && depth == 1) {
      arguments.emplace_back(begin, i);
      begin = i + 1;
    }
  }
  return {};  // not closed
}

}  // namespace

// True when `tokens[at]` calls a function-like macro with one of `params` as an
// argument that the macro calls in turn (`#define ALL(H) SIMPLE(H)`, `#define
// SIMPLE(H) H(2) H(3)`): the argument of the outer macro names what is called.
bool CScanner::passesCalledParameter(const std::vector<PpToken>& tokens, std::size_t at,
                                     const std::vector<std::string_view>& params, int depth) const {
  constexpr int kMostDepth = 8;
  if (depth >= kMostDepth || at + 1 >= tokens.size() || tokens[at + 1].text != "(") return false;
  const MacroState& macro = macros_.find(tokens[at].text);
  if (macro.kind != MacroState::Defined || !macro.functionLike || !macro.valueKnown || macro.params.empty()) {
    return false;
  }
  const auto arguments = argumentsAt(tokens, at + 1);
  std::vector<PpToken> body;
  for (std::size_t j = 0; j < arguments.size(); ++j) {
    const auto [begin, end] = arguments[j];
    if (end != begin + 1 || std::find(params.begin(), params.end(), tokens[begin].text) == params.end()) continue;
    const std::string_view param = macro.params[std::min(j, macro.params.size() - 1)];
    if (body.empty()) body = tokenizeExpression(macro.body);
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (body[i].kind != PpToken::Identifier) continue;
      if (body[i].text == param && i + 1 < body.size() && body[i + 1].text == "(") return true;
      if (body[i].text != tokens[at].text && passesCalledParameter(body, i, {param}, depth + 1)) return true;
    }
  }
  return false;
}

// True when the name at `tokens[at]` is called and a macro makes what is
// called: `F(a)(x)` with F a function-like macro, or `N(x)` with N an
// object-like macro that stands for such a call (`PCRE2_SUFFIX(f_)`) or for
// another name (`#define __xmlGenericError __xmlGenericError__internal_alias`).
bool CScanner::callsMadeName(const std::vector<PpToken>& tokens, std::size_t at) const {
  const MacroState& state = macros_.find(tokens[at].text);
  if (state.kind != MacroState::Defined || !state.valueKnown) return false;
  if (at + 1 >= tokens.size() || tokens[at + 1].text != "(") return false;
  if (!state.functionLike) {
    std::vector<PpToken> scratch;
    const std::vector<PpToken>& body = bodyTokens(state.body, scratch);
    if (body.size() == 1 && body[0].kind == PpToken::Identifier && body[0].text != tokens[at].text) {
      return !isKeyword(body[0].text);
    }
    if (body.size() < 3 || body[0].kind != PpToken::Identifier || body[1].text != "(" ||
        body.back().text != ")") {
      return false;
    }
    const MacroState& maker = macros_.find(body[0].text);
    return maker.kind == MacroState::Defined && maker.functionLike;
  }
  int depth = 0;
  for (std::size_t i = at + 1; i < tokens.size(); ++i) {
    if (tokens[i].text == "(") ++depth;
    if (tokens[i].text == ")" && --depth == 0) return i + 1 < tokens.size() && tokens[i + 1].text == "(";
  }
  return false;
}

// The expansion of the macro call whose arguments were kept.
std::vector<PpToken> CScanner::expandMacroCall() const {
  std::vector<PpToken> tokens;
  tokens.reserve(macroTokens_.size() + 3);
  tokens.push_back(ppTokenOf(macroName_));
  tokens.push_back(PpToken{PpToken::Punct, "(", false});
  tokens.insert(tokens.end(), macroTokens_.begin(), macroTokens_.end());
  tokens.push_back(PpToken{PpToken::Punct, ")", false});
  std::vector<PpToken> expanded;
  expandMacros(tokens, macros_, expanded);
  return expanded;
}

// Records the calls that the expansion of a macro's use makes, at the macro's
// place: those its arguments do not make themselves (the body has those), so
// `APPLY(helper, x)` with `#define APPLY(f, x) f(x)` calls helper.
void CScanner::recordExpansionCalls(const std::vector<PpToken>& expanded, SourcePlace place,
                                    const std::vector<PpToken>& arguments) {
  if (expanded.size() <= 1) return;  // a name, which a "(" after the call may call
  for (std::size_t i = 0; i + 1 < expanded.size(); ++i) {
    const PpToken& token = expanded[i];
    if (token.kind != PpToken::Identifier || expanded[i + 1].text != "(") continue;
    if (holdsNoCalls(token.text)) {
      // sizeof (...): past the whole group.
      int depth = 0;
      for (++i; i < expanded.size(); ++i) {
        if (expanded[i].text == "(") ++depth;
        if (expanded[i].text == ")" && --depth == 0) break;
      }
      continue;
    }
    if (isNotCallable(token.text) || isKeyword(token.text)) continue;
    if (i > 0 && (expanded[i - 1].text == "." || expanded[i - 1].text == "->")) continue;
    bool written = false;
    for (std::size_t a = 0; a + 1 < arguments.size() && !written; ++a) {
      written = arguments[a].text == token.text && arguments[a + 1].text == "(";
    }
    if (!written) recordCall(keep(token.text), place, false);
  }
}

// The name that the macro call just closed expands to, or empty when it gives
// more than one name (or a keyword).
std::string_view CScanner::nameMadeByMacro() {
  const std::vector<PpToken> expanded = expandMacroCall();
  if (expanded.size() != 1 || expanded[0].kind != PpToken::Identifier || isKeyword(expanded[0].text)) return {};
  return keep(expanded[0].text);
}

// Follows what a statement declares, at its own parenthesis level: a name after
// declaration words alone is a declarator, and so is one after a "," of it.
void CScanner::statementToken(const Token& token) {
  Statement& s = statement_;
  if (isName(token)) {
    if (s.specifiersOnly) {
      if (isDeclarationWord(token.text)) {
        s.hasSpecifier = true;
        s.tagNext = token.text == "struct" || token.text == "union" || token.text == "enum";
        return;
      }
      if (s.tagNext) {
        s.tagNext = false;
        return;
      }
      s.specifiersOnly = false;
      if (s.hasSpecifier) {
        s.declaration = true;
        s.declarator = token.place;
      }
      return;
    }
    if (s.declaration && s.expectDeclarator) {
      s.declarator = token.place;
      s.expectDeclarator = false;
    }
    return;
  }
  if (token.is(Punct::Star)) {
    if (s.specifiersOnly && !s.hasSpecifier) s.specifiersOnly = false;
    return;
  }
  if (token.is(Punct::Assign)) {
    s.specifiersOnly = false;
    s.expectDeclarator = false;
    return;
  }
  if (token.is(Punct::Comma)) {
    if (s.declaration) s.expectDeclarator = true;
    return;
  }
  s.specifiersOnly = false;
}

void CScanner::recordCall(const Token& name, bool indirect, bool macro) {
  // A macro may make the name a keyword (`#define check _Static_assert`): no call.
  const std::string_view compiled = compiledName(name);
  if (!isKeyword(compiled)) recordCall(compiled, name.place, indirect, macro);
}

// The parameters that the plain build's replacement of the function-like macro
// `macro` never evaluates, as bits (none for a function or an unknown name): those
// it never uses, or uses only inside sizeof, typeof and the like, or in arguments
// that a macro it calls drops in turn (`#define ASSERT(c) NIL(c)`, `#define
// NIL(c) (void)sizeof(c)`).
std::uint64_t CScanner::unusedArguments(std::string_view macro) {
  if (!plainView().mayHoldFunctionLike()) return 0;
  // A compiler predefines no function-like macro: without a build, the scan's own
  // table holds them all; with one, the headers' and first steps' tables below it too.
  const MacroState& state = config_.build ? plainView().find(macro) : plainView().findOwn(macro);
  if (state.kind != MacroState::Defined || !state.functionLike || state.params.empty()) return 0;
  auto found = unusedArguments_.find(std::string(macro));
  if (found != unusedArguments_.end() && found->second.first == state.body.data()) return found->second.second;
  // A macro met again while its own answer is made (it is no call then): all used.
  auto& answer =
      unusedArguments_.insert_or_assign(std::string(macro), std::pair(state.body.data(), std::uint64_t{0}))
          .first->second.second;
  std::uint64_t unused = 0;
  for (std::size_t p = 0; p < state.params.size() && p < 64; ++p) unused |= std::uint64_t{1} << p;
  DroppedGroups groups;
  std::vector<PpToken> scratch;
  const std::vector<PpToken>& tokens = bodyTokens(state.body, scratch);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const PpToken& token = tokens[i];
    const PpToken* before = i > 0 ? &tokens[i - 1] : nullptr;
    if (token.kind == PpToken::Punct && token.text == "(") {
      const bool named = before != nullptr && before->kind == PpToken::Identifier;
      if (named && holdsNoCalls(before->text)) {
        groups.open(0, true);
      } else {
        groups.open(named && before->text != macro ? unusedArguments(before->text) : 0);
      }
    } else if (token.kind == PpToken::Punct && token.text == ")") {
      groups.close();
    } else if (token.kind == PpToken::Punct && token.text == ",") {
      groups.comma();
    } else if (token.kind == PpToken::Identifier) {
      // `#c` makes a string of the argument; `sizeof c` does not evaluate it.
      if (before != nullptr && (before->text == "#" || before->text == "sizeof")) continue;
      if (groups.inside()) continue;
      for (std::size_t p = 0; p < state.params.size() && p < 64; ++p) {
        if (state.params[p] == token.text) unused &= ~(std::uint64_t{1} << p);
      }
    }
  }
  // Arguments past the last parameter go to a variadic one: dropped with it, or kept.
  if (state.variadic && state.params.size() <= 64) {
    const std::uint64_t rest = ~std::uint64_t{0} << (state.params.size() - 1);
    unused = (unused >> (state.params.size() - 1) & 1) != 0 ? unused | rest : unused & ~rest;
  }
  answer = unused;
  return unused;
}

bool CScanner::insideDroppedArgument() const {
  for (const Paren& paren : parens_) {
    if (paren.dropped != 0 && paren.argument < 64 && (paren.dropped >> paren.argument & 1) != 0) {
      return true;
    }
  }
  return false;
}

// `name` must outlive the scan: a view of the source text, or a kept copy.
void CScanner::recordCall(std::string_view name, SourcePlace place, bool indirect, bool macro) {
  if (current_ == kNone) return;
  if (!parens_.empty() && insideDroppedArgument()) return;
  auto found = names_.find(name);
  std::uint32_t index;
  if (found == names_.end()) {
    index = static_cast<std::uint32_t>(facts_.names.size());
    facts_.names.emplace_back(name);
    names_.emplace(name, index);
  } else {
    index = found->second;
  }
  callsOf_[current_].push_back(CallSite{index, place, indirect, outOfDefault_, macro});
  for (std::uint32_t also : sharing_) {
    callsOf_[also].push_back(CallSite{index, place, indirect, outOfDefault_, macro});
  }
}

bool CScanner::isPointerName(std::string_view name) const {
  return std::find(pointers_.begin(), pointers_.end(), name) != pointers_.end();
}

}  // namespace quenwick
