#include "cscan/c_scanner.h"

#include <algorithm>
#include <span>

#include "cscan/c_expander.h"
#include "cscan/c_words.h"
#include "platform/byte_class.h"

namespace quenwick {

namespace {

// A declaration longer than this keeps only its last tokens: a head needs no more.
constexpr std::size_t kDeclLimit = 1 << 13;
// Old-style parameter declarations that may stand between a head and its body.
constexpr int kOldStyleDeclarations = 64;

// True when `decl` declares nothing that takes parameters, as the parameter
// declarations of an old-style head do (`int a`, `char *b`, `int (*f)()`).
bool isPlainDeclaration(std::span<const Token> decl) {
  if (decl.empty() || decl[0].kind != TokenKind::Identifier) return false;
  for (std::size_t i = 0; i + 1 < decl.size(); ++i) {
    if (decl[i].is(Punct::Assign)) return false;
    if (decl[i].is(Punct::LParen) && !decl[i + 1].is(Punct::Star)) {
      // Only the parameters of a pointer to a function: `(*f)(...)`.
      if (i == 0 || !decl[i - 1].is(Punct::RParen)) return false;
    }
  }
  return true;
}

}  // namespace

CScanner::CScanner(const SourceText& source, const CScanConfig& config, FileFacts& facts)
    : lexer_(source, facts.problems),
      config_(config),
      facts_(facts),
      defaults_(&gccPredefinedMacros()) {
  lexer_.setCaptionKeyword(config.captionKeyword, config.captions);
  applySymbols(config);
}

CScanner::CScanner(const SourceText& source, const CScanConfig& config, FileFacts& facts,
                   const CScanner& outer)
    : lexer_(source, facts.problems),
      config_(config),
      facts_(facts),
      macros_(&outer.macros_),
      defaults_(&outer.defaults_),
      defaultsFollow_(outer.defaultsFollow_),
      nesting_(outer.nesting_ + 1) {
  lexer_.setCaptionKeyword(config.captionKeyword, false);
  // What the outer scan knows to be undefined stays so (a body's #if in a header).
  macros_.setUnlistedUndefined(outer.macros_.unlisted().kind == MacroState::Undefined);
}

void CScanner::run() {
  if (config_.build) startBuild();  // c_includes.cpp
  lexer_.captureCaptions(true);
  for (;;) {
    const Token token = lexer_.next();
    if (token.kind == TokenKind::End) break;
    if (token.kind == TokenKind::Directive) {
      directive(token);
    } else if (current_ != kNone) {
      bodyToken(token);
    } else if (atFileLevel()) {
      fileToken(token);
    } else if (token.is(Punct::LBrace)) {
      blocks_.push_back(Block{Block::Inner, kNone, token.place});
    } else if (token.is(Punct::RBrace)) {
      closeBrace(token);
    }
  }
  finish();
  applyLineShifts();
  if (config_.build) noteReaches();  // c_includes.cpp
}

bool CScanner::atFileLevel() const {
  return blocks_.empty() || blocks_.back().kind == Block::ExternC;
}

void CScanner::fileToken(const Token& token) {
  if (token.kind == TokenKind::Punct) {
    switch (token.punct) {
      case Punct::Semicolon:
        if (declParens_ == 0) return endDeclaration();
        break;
      case Punct::LBrace:
        if (declParens_ == 0) return openFileBrace(token);
        break;
      case Punct::RBrace:
        if (declParens_ == 0) return closeBrace(token);
        break;
      case Punct::LParen:
        if (!decl_.empty() && isIdentityMacro(decl_.back())) {
          // `CODE({ ... })` with `#define CODE(X) X`: what it wraps is read as written.
          decl_.pop_back();
          transparent_.push_back(declParens_);
          return;
        }
        ++declParens_;
        break;
      case Punct::RParen:
        if (!transparent_.empty() && transparent_.back() == declParens_) {
          transparent_.pop_back();
          return;
        }
        if (declParens_ > 0 && --declParens_ == 0) {
          pushDecl(token);
          expandInvocation();
          return;
        }
        break;
      default:
        break;
    }
  }
  pushDecl(token);
}

// True when `name` is a function-like macro of the build that gives its one
// argument as it is: `#define CODE(X) X`.
bool CScanner::isIdentityMacro(const Token& name) const {
  if (!config_.build || name.kind != TokenKind::Identifier || !macros_.mayHoldFunctionLike()) return false;
  const MacroState& macro = macros_.find(name.text);
  return macro.kind == MacroState::Defined && macro.functionLike && macro.valueKnown &&
         macro.params.size() == 1 && macro.body == macro.params[0];
}

// A file-level call of a macro of this file that makes definitions, such as
// `#define SETTER(f) void set_##f(int v) { ... }` / `SETTER(size);`, also through
// the macros it calls (`#define EACH(X) X(a) X(b)` / `EACH(SETTER)`): the
// definitions of its expansion stand at the call.
void CScanner::expandInvocation(bool declarationEnds) {
  constexpr int kMaxNesting = 8;
  if (decl_.size() < 3 || decl_[0].kind != TokenKind::Identifier || !decl_[1].is(Punct::LParen) ||
      nesting_ >= kMaxNesting) {
    return;
  }
  const MacroState& macro = macros_.find(decl_[0].text);
  if (macro.kind != MacroState::Defined || !macro.functionLike || !macro.valueKnown) return;
  std::vector<PpToken> tokens;
  tokens.reserve(decl_.size());
  for (const Token& token : decl_) tokens.push_back(PpToken{PpToken::Punct, std::string(token.text), token.spaceBefore});
  for (PpToken& token : tokens) {
    if (!token.text.empty() && (hasClass(token.text[0], kWordStart))) token.kind = PpToken::Identifier;
  }
  std::vector<PpToken> expanded;
  expandMacros(tokens, macros_, expanded);
  // A call that is the whole declaration so far and expands to nothing is no part
  // of the next one: `LIBM_DD_NO(pow10)` / `LIBM_DD(rint)` defines f_rint at its call.
  if (expanded.empty()) {
    int depth = 0;
    std::size_t close = 1;
    for (; close < decl_.size(); ++close) {
      if (decl_[close].is(Punct::LParen)) ++depth;
      if (decl_[close].is(Punct::RParen) && --depth == 0) break;
    }
    if (close + 1 == decl_.size()) {
      decl_.clear();
      return;
    }
  }
  // An expansion without a body makes no definition: it is part of the declaration.
  if (std::none_of(expanded.begin(), expanded.end(), [](const PpToken& token) { return token.text == "{"; })) {
    return;
  }
  std::string text;
  for (const PpToken& token : expanded) {
    text += token.text;
    text += ' ';
  }
  FileFacts headed;
  if (!declarationEnds && config_.build && nesting_ == 0 && scanAsHead(text, headed)) {
    // `WEBP_DSP_INIT_FUNC(f) {`: the body that follows is its last head's, which
    // the head of the declaration reads (with the expansion's own bodies).
    invocationEndsInHead_ = true;
    return;
  }
  const SourceText source(text, SourceEncoding::Utf8);
  FileFacts inner;
  CScanner(source, config_, inner, *this).run();
  addMadeDefinitions(inner, inner.definitions.size(), decl_.front().place, decl_.back().place);
  decl_.clear();
}

// Scans the expansion `text` with a body after it into `inner`: true when the
// expansion ends in a function's head, whose definition is then the last.
bool CScanner::scanAsHead(const std::string& text, FileFacts& inner) {
  const std::string headed = text + "{}";
  const SourceText source(headed, SourceEncoding::Utf8);
  CScanner(source, config_, inner, *this).run();
  return !inner.definitions.empty() && inner.definitions.back().kind == DefinitionKind::Function &&
         inner.balanced() && inner.definitions.back().end.column == headed.size();
}

// Adds the first `count` definitions that the scan of a macro's expansion found,
// with their calls, at the macro's place `at`.
void CScanner::addMadeDefinitions(const FileFacts& inner, std::size_t count, SourcePlace at, SourcePlace end) {
  for (std::size_t d = 0; d < count; ++d) {
    const FileDefinition& made = inner.definitions[d];
    bool isNew = false;
    const std::uint32_t definition = definitionFor(keep(made.name), made.kind, at, at, isNew);
    FileDefinition& defined = facts_.definitions[definition];
    if (isNew) {
      defined.isStatic = made.isStatic;
      defined.end = end;
      if (config_.captions) defined.caption = std::string();
    }
    const std::uint32_t saved = current_;
    current_ = definition;
    for (std::uint32_t c = made.callsBegin; c < made.callsBegin + made.callsCount; ++c) {
      const CallSite& site = inner.calls[c];
      recordCall(keep(inner.names[site.name]), at, site.indirect);
    }
    current_ = saved;
  }
}

// A lasting copy of `text`, for the maps keyed by views.
std::string_view CScanner::keep(std::string_view text) {
  return kept_.emplace_back(text);
}

void CScanner::pushDecl(const Token& token) {
  if (decl_.size() >= kDeclLimit) {
    decl_.erase(decl_.begin(), decl_.begin() + kDeclLimit / 2);
  }
  decl_.push_back(token);
}

// The end of a file-level declaration: it may be an old-style head, or one of the
// parameter declarations after one.
void CScanner::endDeclaration() {
  // A macro call whose expansion ended in a head, and no body came.
  if (invocationEndsInHead_) expandInvocation(true);
  invocationEndsInHead_ = false;
  Head head;
  if (readOldStyleHead(decl_, head)) {
    oldStyle_.name = decl_[head.name];
    oldStyle_.isStatic = head.isStatic || staticByMacro(head.name);
    oldStyle_.start = decl_.front().place;
    // The first parameter declaration stands in the same declaration as the head:
    // `f(a) int a;` is one, and a head of one parameter needs no other.
    const std::span<const Token> first = std::span<const Token>(decl_).subspan(head.paramsClose + 1);
    oldStyle_.declarations = isPlainDeclaration(first) ? 1 : 0;
    oldStyle_.pointers = pointerNames(decl_, head.paramsClose, decl_.size());
  } else if (oldStyle_.declarations >= 0) {
    if (isPlainDeclaration(decl_) && oldStyle_.declarations < kOldStyleDeclarations) {
      ++oldStyle_.declarations;
      // int (*cmp)(); among them: calls of cmp go through it.
      for (std::string_view name : pointerNames(decl_, SIZE_MAX, decl_.size())) {
        oldStyle_.pointers.push_back(name);
      }
    } else {
      oldStyle_.declarations = -1;
    }
  }
  decl_.clear();
  declParens_ = 0;
  alternatives_.clear();
}

void CScanner::openFileBrace(const Token& brace) {
  invocationEndsInHead_ = false;
  Head head = readFileHead();
  if (head.kind == Head::Function) {
    const Token named = headThroughMacro(head);
    // Heads that other branches of a conditional left for this body come first,
    // in source order.
    std::vector<std::uint32_t> others;
    for (const Alternative& other : alternatives_) {
      others.push_back(defineFunction(other.name, other.isStatic, other.start));
    }
    const std::uint32_t definition = defineFunction(named, head.isStatic, decl_.front().place);
    blocks_.push_back(Block{Block::Function, definition, brace.place});
    startBody(definition, head);
    for (std::uint32_t also : others) {
      if (also != definition &&
          std::find(sharing_.begin(), sharing_.end(), also) == sharing_.end()) {
        sharing_.push_back(also);
      }
    }
    alternatives_.clear();
  } else if (head.kind == Head::ExternC) {
    blocks_.push_back(Block{Block::ExternC, kNone, brace.place});
  } else if (Token named; !decl_.empty() && expandedHead(named, head.isStatic)) {
    const std::uint32_t definition = defineFunction(named, head.isStatic, decl_.front().place);
    blocks_.push_back(Block{Block::Function, definition, brace.place});
    startBody(definition, Head{});
  } else if (decl_.empty() && oldStyle_.declarations > 0) {
    const std::uint32_t definition =
        defineFunction(oldStyle_.name, oldStyle_.isStatic, oldStyle_.start);
    blocks_.push_back(Block{Block::Function, definition, brace.place});
    Head head;
    head.pointerParams = oldStyle_.pointers;
    startBody(definition, head);
  } else {
    // A struct, union or enum body or an initializer: the declaration goes on
    // after it (`struct s { ... } x;`).
    blocks_.push_back(Block{Block::Aggregate, kNone, brace.place});
    lexer_.captureCaptions(false);
    alternatives_.clear();
    return;
  }
  oldStyle_.declarations = -1;
  decl_.clear();
  declParens_ = 0;
  lexer_.captureCaptions(false);
}

// The name that the build compiles for `name`: an object-like macro of the build
// that expands to one name stands for that name (`#define pcre2_compile
// pcre2_compile_8`), which may be a keyword. Without a build, or unless asked,
// the name is as written.
std::string_view CScanner::compiledName(std::string_view name) {
  if (!config_.build || !config_.compiledNames) return name;
  const MacroState& state = macros_.find(name);
  if (state.kind != MacroState::Defined || state.functionLike || !state.valueKnown) return name;
  std::vector<PpToken> expanded;
  expandMacros(std::vector<PpToken>{PpToken{PpToken::Identifier, std::string(name), false}}, macros_, expanded);
  if (expanded.size() != 1 || expanded[0].kind != PpToken::Identifier) return name;
  return keep(expanded[0].text);
}

// The declaration read so far with the build's macros expanded, as text.
std::string CScanner::expandedDeclaration() const {
  std::vector<PpToken> tokens;
  tokens.reserve(decl_.size());
  for (const Token& token : decl_) tokens.push_back(ppTokenOf(token));
  std::vector<PpToken> expanded;
  expandMacros(tokens, macros_, expanded);
  std::string text;
  for (const PpToken& token : expanded) {
    text += token.text;
    text += ' ';
  }
  return text;
}

// A declaration that macros of the build make a function's head: flex's
// `#define YY_DECL int yylex (void)` / `YY_DECL {`, or old code's portable
// parameter lists, `f DC_DECLARG((a, b)) int a DC_DECLSEP int b DC_DECLEND {`.
// The function is at its name where the declaration writes it, else at the
// macro, as the compiler places it; so is any other its expansion defines.
bool CScanner::expandedHead(Token& named, bool& isStatic) {
  const Token& last = decl_.back();
  if (!config_.build || nesting_ > 0 || !(last.kind == TokenKind::Identifier || last.is(Punct::RParen))) {
    return false;
  }
  const Token* macro = nullptr;
  for (std::size_t i = 0; i < decl_.size() && macro == nullptr; ++i) {
    if (decl_[i].kind != TokenKind::Identifier) continue;
    const MacroState& state = macros_.find(decl_[i].text);
    if (state.kind == MacroState::Defined && state.valueKnown &&
        (!state.functionLike || (i + 1 < decl_.size() && decl_[i + 1].is(Punct::LParen)))) {
      macro = &decl_[i];
    }
  }
  if (macro == nullptr) return false;
  const std::string text = expandedDeclaration();
  FileFacts inner;
  if (!scanAsHead(text, inner)) return false;
  const FileDefinition& made = inner.definitions.back();
  if (inner.definitions.size() > 1) {
    addMadeDefinitions(inner, inner.definitions.size() - 1, macro->place, macro->place);
  }
  auto written = std::find_if(decl_.begin(), decl_.end(), [&](const Token& token) {
    return token.kind == TokenKind::Identifier && token.text == made.name;
  });
  named = written != decl_.end() ? *written : *macro;
  named.text = keep(made.name);
  isStatic = made.isStatic;
  return true;
}

// A head that a function-like macro of the build wraps, `UV_UNUSED(static int
// f(int x)) {`, or whose name one makes, `int PRIV(f)(int x) {`: the function is
// the one its expansion declares, at the macro's place (as the compiler places
// it; at the place where its name is written for an editor's words, which keep
// the names as written). A name made by pasting is as the compiler names it.
// Without a build, or for a macro whose expansion is more than one head, the
// head is as written.
Token CScanner::headThroughMacro(Head& head) {
  const Token& written = decl_[head.name];
  if (!config_.build || nesting_ > 0) return written;
  auto wraps = [this](const Token& token) {
    if (token.kind != TokenKind::Identifier) return false;
    const MacroState& macro = macros_.find(token.text);
    return macro.kind == MacroState::Defined && macro.functionLike && macro.valueKnown;
  };
  // The name itself, or a macro that makes it: `int PRIV(compile)(int x) {`.
  if (!wraps(written) && !(head.name >= 2 && decl_[head.name - 1].is(Punct::LParen) && wraps(decl_[head.name - 2]))) {
    return written;
  }
  const std::string text = expandedDeclaration();
  // The last definition is the head of the body that follows; the expansion's
  // own bodies before it (`WEBP_DSP_INIT_FUNC(f) {`, which defines f and heads
  // f_body) are definitions at the macro.
  FileFacts inner;
  if (!scanAsHead(text, inner)) return written;
  const FileDefinition& made = inner.definitions.back();
  if (inner.definitions.size() > 1) {
    addMadeDefinitions(inner, inner.definitions.size() - 1, written.place, written.place);
  }
  head.isStatic = head.isStatic || made.isStatic;
  for (std::size_t i = head.name + 1; i < decl_.size(); ++i) {
    if (decl_[i].kind != TokenKind::Identifier || compiledName(decl_[i]) != made.name) continue;
    // A graph places it at the macro, as the compiler does; an editor, at its name.
    if (!config_.compiledNames) return decl_[i];
    Token named = decl_[i];
    named.place = written.place;
    return named;
  }
  if (!config_.compiledNames) return written;
  Token named = written;
  named.text = keep(made.name);
  return named;
}

// The name the build compiles for the token `name`: as above, or as it was where
// it was read, when a directive changed its macro since.
std::string_view CScanner::compiledName(const Token& name) {
  auto found = namedBefore_.find(name.text.data());
  return found != namedBefore_.end() ? found->second : compiledName(name.text);
}

// Before `symbol` changes, the declaration read so far keeps the names it gave it:
// `int fcntl (int fd, ...)` / `#undef fcntl` / `{` defines what fcntl stood for.
void CScanner::keepNamesBefore(std::string_view symbol) {
  if (!config_.build || !config_.compiledNames) return;
  for (const Token& token : decl_) {
    if (token.kind == TokenKind::Identifier && token.text == symbol) {
      namedBefore_.emplace(token.text.data(), compiledName(token));
    }
  }
}

// The head of the declaration read so far, static also where a macro before its
// name says so (`#define MEM_STATIC static inline`).
Head CScanner::readFileHead() const {
  Head head = readHead(decl_);
  if (head.kind == Head::Function && !head.isStatic) head.isStatic = staticByMacro(head.name);
  return head;
}

// True when a word before the name at `name` in the declaration is an object-like
// macro whose replacement holds "static", itself or through the macros it names.
bool CScanner::staticByMacro(std::size_t name) const {
  constexpr int kDepth = 4;  // macros within macros followed
  auto says = [this](std::string_view word, int depth, auto& self) -> bool {
    const MacroState& state = macros_.find(word);
    if (state.kind != MacroState::Defined || state.functionLike || !state.valueKnown) return false;
    const std::string_view body = state.body;
    for (std::size_t i = 0; i < body.size();) {
      if (!hasClass(body[i], kWordStart)) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < body.size() && hasClass(body[end], kWordChar)) ++end;
      const std::string_view inner = body.substr(i, end - i);
      if (inner == "static" || (depth > 0 && inner != word && self(inner, depth - 1, self))) return true;
      i = end;
    }
    return false;
  };
  for (std::size_t i = 0; i < name && i < decl_.size(); ++i) {
    const Token& token = decl_[i];
    if (token.kind == TokenKind::Identifier && !isKeyword(token.text) && says(token.text, kDepth, says)) return true;
  }
  return false;
}

void CScanner::closeBrace(const Token& brace) {
  if (blocks_.empty()) {
    // In a branch a plain build leaves out, the conditional's end undoes it.
    if (!outOfDefault_) facts_.problems.push_back({ScanProblem::ExcessBrace, brace.place, "}"});
    return;
  }
  const Block block = blocks_.back();
  blocks_.pop_back();
  if (block.kind == Block::Function) {
    facts_.definitions[block.definition].end = brace.place;
    for (std::uint32_t also : sharing_) facts_.definitions[also].end = brace.place;
    sharing_.clear();
    current_ = kNone;
    parens_.clear();
    decl_.clear();
    declParens_ = 0;
  } else if (block.kind == Block::Aggregate && atFileLevel()) {
    Token braces = brace;
    braces.kind = TokenKind::Other;
    pushDecl(braces);
  }
  lexer_.captureCaptions(atFileLevel());
}

std::uint32_t CScanner::defineFunction(const Token& name, bool isStatic, SourcePlace start) {
  bool isNew = false;
  std::string_view compiled = compiledName(name);
  if (isKeyword(compiled)) compiled = name.text;
  const std::uint32_t definition =
      definitionFor(compiled, DefinitionKind::Function, name.place, start, isNew);
  FileDefinition& defined = facts_.definitions[definition];
  if (isNew) {
    defined.isStatic = isStatic;
    if (config_.captions) defined.caption = lexer_.caption();
  }
  lexer_.clearCaption();
  return definition;
}

// The definition of `name` of `kind` in this file, made when it is new; a name
// met again (another branch of a conditional) gets one more place.
std::uint32_t CScanner::definitionFor(std::string_view name, DefinitionKind kind,
                                      SourcePlace place, SourcePlace start, bool& isNew) {
  auto& byName = kind == DefinitionKind::Function ? functions_ : macroDefs_;
  auto found = byName.find(name);
  if (found != byName.end()) {
    FileDefinition& defined = facts_.definitions[found->second];
    isNew = false;
    if (!outOfDefault_) ++defaultPlaces_[found->second];
    if (defined.place != place &&
        std::find(defined.morePlaces.begin(), defined.morePlaces.end(), place) ==
            defined.morePlaces.end()) {
      defined.morePlaces.push_back(place);
    }
    return found->second;
  }
  isNew = true;
  const auto index = static_cast<std::uint32_t>(facts_.definitions.size());
  FileDefinition& defined = facts_.definitions.emplace_back();
  defined.name = std::string(name);
  defined.place = place;
  defined.start = start;
  defined.end = place;
  defined.kind = kind;
  if (kind == DefinitionKind::Macro && config_.captions) defined.caption = std::string();
  callsOf_.emplace_back();
  defaultPlaces_.push_back(outOfDefault_ ? 0 : 1);
  byName.emplace(name, index);
  return index;
}

void CScanner::finish() {
  const SourcePlace end = lexer_.here();
  if (current_ != kNone) facts_.definitions[current_].end = end;
  for (const Block& block : blocks_) {
    facts_.problems.push_back({ScanProblem::UnclosedBrace, block.place, "{"});
  }
  for (const Conditional& level : conditionals_) {
    facts_.problems.push_back({ScanProblem::UnclosedCondition, level.place, "#if"});
  }
  std::stable_sort(facts_.problems.begin(), facts_.problems.end(),
                   [](const ScanProblem& a, const ScanProblem& b) {
                     return a.place.line != b.place.line ? a.place.line < b.place.line
                                                         : a.place.column < b.place.column;
                   });
  // A definition made in several branches keeps, when a plain build compiles one
  // of them, the calls of what that build compiles: `#ifdef DEBUG` / `#define
  // CHECK(x) check(x)` / `#else` / `#define CHECK(x)` calls nothing by default.
  for (std::size_t d = 0; d < callsOf_.size(); ++d) {
    if (facts_.definitions[d].morePlaces.empty() || defaultPlaces_[d] == 0) continue;
    auto& calls = callsOf_[d];
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const CallSite& site) { return site.conditional; }),
                calls.end());
  }
  std::size_t total = 0;
  for (const auto& calls : callsOf_) total += calls.size();
  facts_.calls.reserve(total);
  for (std::size_t d = 0; d < callsOf_.size(); ++d) {
    FileDefinition& defined = facts_.definitions[d];
    defined.callsBegin = static_cast<std::uint32_t>(facts_.calls.size());
    defined.callsCount = static_cast<std::uint32_t>(callsOf_[d].size());
    facts_.calls.insert(facts_.calls.end(), callsOf_[d].begin(), callsOf_[d].end());
  }
  facts_.lines = lexer_.line();
}

}  // namespace quenwick
