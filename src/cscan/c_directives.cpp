// The C scan's directives: macros defined and undefined, conditionals decided
// where the symbols decide them, and every branch of the others scanned.
#include <algorithm>

#include "cscan/c_scanner.h"
#include "cscan/c_build.h"
#include "cscan/c_words.h"
#include "platform/file_path.h"

namespace quenwick {

namespace {

// Conditionals nested deeper than this scan their branches one after the other,
// without going back to the structure at the #if.
constexpr std::size_t kRestoringDepth = 4096;

constexpr std::string_view kOne = "1";

bool isName(const Token& token) {
  return token.kind == TokenKind::Identifier;
}

// The parameters of a function-like macro, from its "(" at `at`; returns the
// index after its ")" (the size when there is none).
std::size_t readParams(const std::vector<Token>& tokens, std::size_t at,
                       std::vector<std::string_view>& params, bool& variadic) {
  for (std::size_t i = at + 1; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (token.is(Punct::RParen)) return i + 1;
    if (isName(token)) params.push_back(token.text);
    if (token.is(Punct::Ellipsis)) {
      // `...` is __VA_ARGS__; GNU's `args...` names the variadic parameter itself.
      variadic = true;
      if (!isName(tokens[i - 1])) params.push_back("__VA_ARGS__");
    }
  }
  return tokens.size();
}

}  // namespace

void CScanner::applySymbols(const CScanConfig& config) {
  for (const SymbolSetting& setting : config.symbols) {
    std::string_view name = setting.name;
    MacroState state;
    if (!setting.define) {
      state.kind = MacroState::Undefined;
    } else {
      state.kind = MacroState::Defined;
      const std::size_t paren = name.find('(');
      if (paren != std::string_view::npos) {
        state.functionLike = true;
        std::string_view list = name.substr(paren + 1);
        name = name.substr(0, paren);
        while (!list.empty()) {
          const std::size_t end = list.find_first_of(",)");
          std::string_view param = list.substr(0, end);
          while (!param.empty() && param.front() == ' ') param.remove_prefix(1);
          while (!param.empty() && param.back() == ' ') param.remove_suffix(1);
          if (param == "...") {
            state.variadic = true;
            param = "__VA_ARGS__";
          }
          if (!param.empty()) state.params.push_back(param);
          if (end == std::string_view::npos || list[end] == ')') break;
          list.remove_prefix(end + 1);
        }
      }
      state.body = setting.value ? std::string_view(*setting.value) : kOne;
    }
    if (!defaultsFollow_) defaults_.set(name, state);
    macros_.set(name, std::move(state));
  }
}

// `#line 898 "scan.c"`, or GNU's `# 898 "scan.c"` (`name` is then the number):
// the line after it is line 898 of the file it names, or of the last one named.
// Generated sources say so of themselves and of the grammar they come from.
void CScanner::noteLineDirective(const Token& name) {
  const bool gnu = name.kind == TokenKind::Number;
  const Token* number = gnu ? &name : (directive_.empty() ? nullptr : &directive_[0]);
  if (number == nullptr || number->kind != TokenKind::Number || number->text.size() > 9) return;
  std::uint32_t value = 0;
  for (char c : number->text) {
    if (c < '0' || c > '9') return;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  LineShift shift;
  shift.from = lexer_.line() + 1;  // the line after the directive's last
  shift.number = value;
  shift.file = lineShifts_.empty() ? 0 : lineShifts_.back().file;
  const std::size_t file = gnu ? 0 : 1;
  if (directive_.size() > file && directive_[file].kind == TokenKind::String &&
      directive_[file].text.size() >= 2 && directive_[file].text.front() == '"') {
    shift.file = lineFileNamed(directive_[file].text.substr(1, directive_[file].text.size() - 2));
  }
  lineShifts_.push_back(shift);
}

// The `LineShift::file` of the file a #line directive names: this one when its
// name ends alike, else one that exists beside it or (with a build) where the
// compiler runs, named as files are named; else unknown.
std::uint32_t CScanner::lineFileNamed(std::string_view written) {
  auto baseOf = [](std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
  };
  if (baseOf(written) == baseOf(facts_.path)) return 0;
  auto [found, isNew] = lineFileOf_.try_emplace(std::string(written), kUnknownFile);
  if (!isNew) return found->second;
  std::string named;
  const std::string beside = normalPath(joinPath(folderOf(facts_.path), written));
  if (isRegularFile(beside)) {
    named = beside;
  } else if (config_.build && !isAbsolutePath(written)) {
    const std::string there = absolutePath(written, config_.build->directory);
    if (isRegularFile(there)) named = config_.reached != nullptr ? config_.reached->shown(there) : there;
  }
  if (named.empty() || named == facts_.path) return found->second = named.empty() ? kUnknownFile : 0;
  lineFiles_.push_back(std::move(named));
  return found->second = static_cast<std::uint32_t>(lineFiles_.size());
}

// Gives the places of the facts the lines that the `#line` directives before them
// number them with. A definition that they place in another file is that file's,
// with the places there of its own; the rest stay as they are.
void CScanner::applyLineShifts() {
  if (lineShifts_.empty()) return;
  auto regionOf = [this](std::uint32_t line) -> const LineShift* {
    auto after = std::upper_bound(lineShifts_.begin(), lineShifts_.end(), line,
                                  [](std::uint32_t at, const LineShift& shift) { return at < shift.from; });
    return after == lineShifts_.begin() ? nullptr : &*(after - 1);
  };
  // Numbers `place` when the directive before it numbers the file `file`.
  auto shifted = [&](SourcePlace& place, std::uint32_t file) {
    const LineShift* shift = regionOf(place.line);
    if (shift != nullptr && shift->file == file) place.line = shift->number + (place.line - shift->from);
  };
  for (FileDefinition& definition : facts_.definitions) {
    const LineShift* at = regionOf(definition.place.line);
    const std::uint32_t file = at == nullptr ? 0 : at->file;
    if (file == kUnknownFile) continue;
    if (file != 0) definition.presumedFile = lineFiles_[file - 1];
    shifted(definition.start, file);
    shifted(definition.end, file);
    for (SourcePlace& more : definition.morePlaces) shifted(more, file);
    for (std::uint32_t c = definition.callsBegin; c < definition.callsBegin + definition.callsCount; ++c) {
      shifted(facts_.calls[c].place, file);
    }
    shifted(definition.place, file);
  }
  for (ScanProblem& problem : facts_.problems) shifted(problem.place, 0);
}

// Reads the rest of the directive line into `directive_`.
void CScanner::readDirectiveTokens() {
  directive_.clear();
  for (;;) {
    const Token token = lexer_.nextInDirective();
    if (token.kind == TokenKind::LineEnd) return;
    directive_.push_back(token);
  }
}

void CScanner::directive(const Token& hash) {
  const Token name = lexer_.nextInDirective();
  if (name.kind == TokenKind::LineEnd) return;  // "#" alone
  const std::string_view word = isName(name) ? name.text : std::string_view();
  if (word == "define" || word == "undef" || word == "if" || word == "ifdef" ||
      word == "ifndef" || word == "elif" || word == "elifdef" || word == "elifndef" ||
      word == "else" || word == "endif") {
    readDirectiveTokens();
  } else if (word == "line" || name.kind == TokenKind::Number) {
    readDirectiveTokens();
    if (config_.presumedLines && nesting_ == 0) noteLineDirective(name);
    if (name.kind != TokenKind::Number) facts_.problems.push_back({ScanProblem::Skipped, hash.place, "line"});
    return;
  } else {
    if (config_.build && (word == "include" || word == "include_next" || word == "import")) {
      return followInclude(hash, word);  // c_includes.cpp
    }
    if (word == "include") {
      // A source that includes another source sees its static functions.
      const Token file = lexer_.nextInDirective();
      if (file.kind == TokenKind::String && file.text.size() > 2 && file.text.front() == '"' &&
          !sharesStatics(std::string(file.text.substr(1, file.text.size() - 2)))) {
        facts_.includedSources.emplace_back(file.text.substr(1, file.text.size() - 2));
      }
    }
    lexer_.skipDirectiveLine();
    if (name.kind != TokenKind::Number) {
      // include, pragma, error, warning, line and the unknown ones
      facts_.problems.push_back({ScanProblem::Skipped, hash.place, std::string(name.text)});
    }
    return;
  }
  if (word == "define") {
    defineMacro();
  } else if (word == "undef") {
    undefineMacro();
  } else if (word == "if") {
    std::string_view guard;
    bool guardDefined = false;
    // #if defined(X) and #if !defined(X) tell about X as #ifdef and #ifndef do.
    std::size_t at = 0;
    const bool negated = !directive_.empty() && directive_[0].is(Punct::Not);
    if (negated) at = 1;
    if (at < directive_.size() && directive_[at].text == "defined") {
      std::size_t n = at + 1;
      const bool paren = n < directive_.size() && directive_[n].is(Punct::LParen);
      if (paren) ++n;
      const std::size_t end = n + (paren ? 2 : 1);
      // `!defined(X) && ...` sets a default for X just as `#ifndef X` does.
      const bool alone = end == directive_.size() ||
                         (negated && end < directive_.size() && directive_[end].is(Punct::AndAnd));
      if (n < directive_.size() && isName(directive_[n]) && alone &&
          (!paren || (n + 1 < directive_.size() && directive_[n + 1].is(Punct::RParen)))) {
        guard = directive_[n].text;
        guardDefined = !negated;
      }
    }
    openConditional(word, conditionOf(0), hash, guard, guardDefined);
  } else if (word == "ifdef" || word == "ifndef") {
    const bool wantDefined = word == "ifdef";
    const std::string_view guard = !directive_.empty() && isName(directive_[0]) ? directive_[0].text : "";
    Truth truth = definedTruth(0, wantDefined);
    if (includes_ && isOwnGuard(guard, wantDefined) && truth == Truth::Unknown) {
      truth = Truth::True;  // as the reading of its directives takes it (c_includes.cpp)
    }
    openConditional(word, truth, hash, guard, wantDefined);
  } else if (word == "elif" || word == "elifdef" || word == "elifndef") {
    elseIf(word, hash);
  } else if (word == "else") {
    nextBranch(Truth::True, true, hash, true);
  } else {
    closeConditional(hash);
  }
  if (!conditionals_.empty() && !conditionals_.back().scanning) skipDeadText();
}

std::string CScanner::conditionText(std::size_t from) const {
  std::string text;
  for (std::size_t i = from; i < directive_.size(); ++i) {
    if (i > from && directive_[i].spaceBefore) text += ' ';
    text.append(directive_[i].text);
    if (text.size() > 200) {
      text += "...";
      break;
    }
  }
  return text;
}

Truth CScanner::conditionOf(std::size_t from) {
  std::vector<PpToken> tokens;
  tokens.reserve(directive_.size() - std::min(from, directive_.size()));
  for (std::size_t i = from; i < directive_.size(); ++i) tokens.push_back(ppTokenOf(directive_[i]));
  if (config_.build) settleHasInclude(tokens);  // c_includes.cpp
  return evaluateCondition(tokens, macros_);
}

Truth CScanner::definedTruth(std::size_t at, bool wantDefined) {
  if (at >= directive_.size() || !isName(directive_[at])) return Truth::Unknown;
  const MacroState& state = macros_.find(directive_[at].text);
  if (state.kind == MacroState::Unknown) return Truth::Unknown;
  return (state.kind == MacroState::Defined) == wantDefined ? Truth::True : Truth::False;
}

void CScanner::defineMacro() {
  if (directive_.empty() || !isName(directive_[0])) return;
  const Token& name = directive_[0];
  MacroState state;
  state.kind = MacroState::Defined;
  std::size_t body = 1;
  std::vector<std::string_view> params;
  if (directive_.size() > 1 && directive_[1].is(Punct::LParen) && !directive_[1].spaceBefore) {
    state.functionLike = true;
    body = readParams(directive_, 1, params, state.variadic);
    state.params = params;
  }
  if (body < directive_.size()) {
    const char* first = directive_[body].text.data();
    const Token& last = directive_.back();
    state.body = std::string_view(first, static_cast<std::size_t>(last.text.data() + last.text.size() - first));
  }
  keepNamesBefore(name.text);
  setSymbol(name.text, state);

  // A function-like macro is a definition of its own; so is an object-like one
  // that stands for one other name (`#define open open64`).
  const bool alias = !state.functionLike && body + 1 == directive_.size() &&
                     isName(directive_[body]) && directive_[body].text != name.text &&
                     !isKeyword(directive_[body].text);
  // An object-like macro that makes calls is a definition too, and each use of its
  // name a call of it: `#define LITTLE_ENDIAN is_little_endian()`.
  bool calls = false;
  for (std::size_t i = body; !state.functionLike && i + 1 < directive_.size(); ++i) {
    calls = calls || (isName(directive_[i]) && directive_[i + 1].is(Punct::LParen) &&
                      !isNotCallable(directive_[i].text));
  }
  if (!state.functionLike && !alias && !calls) return;
  if (calls) objectMacros_.insert(name.text);
  bool isNew = false;
  const std::uint32_t definition = definitionFor(name.text, DefinitionKind::Macro, name.place,
                                                 name.place, isNew);
  FileDefinition& defined = facts_.definitions[definition];
  const Token& last = directive_.back();
  const SourcePlace end{last.place.line,
                        last.place.column + static_cast<std::uint32_t>(last.text.size()) - 1};
  if (isNew || end.line > defined.end.line) defined.end = end;
  if (alias) {
    const std::uint32_t saved = current_;
    current_ = definition;
    recordCall(directive_[body], false);
    current_ = saved;
    return;
  }
  recordMacroCalls(definition, body, params);
}

// The calls in a macro's replacement: names followed by "(" that are no
// parameter, no keyword, not made by "#" or "##", and not in an argument that a
// macro it calls drops (`RAWLOG(3, "%s", name_of(err))` with logging off).
void CScanner::recordMacroCalls(std::uint32_t definition, std::size_t bodyBegin,
                                const std::vector<std::string_view>& params) {
  const std::uint32_t saved = current_;
  current_ = definition;
  DroppedGroups groups;
  const std::string_view defined = directive_[0].text;
  for (std::size_t i = bodyBegin; i < directive_.size(); ++i) {
    const Token& token = directive_[i];
    if (token.is(Punct::LParen)) {
      const bool named = i > bodyBegin && isName(directive_[i - 1]) && directive_[i - 1].text != defined;
      groups.open(named ? unusedArguments(directive_[i - 1].text) : 0);
      continue;
    }
    if (token.is(Punct::RParen)) {
      groups.close();
      continue;
    }
    if (token.is(Punct::Comma)) {
      groups.comma();
      continue;
    }
    if (i + 1 >= directive_.size() || !isName(token) || !directive_[i + 1].is(Punct::LParen)) continue;
    if (holdsNoCalls(token.text)) {
      // __attribute__((format(printf, a, b))): past the whole group.
      int depth = 0;
      for (++i; i < directive_.size(); ++i) {
        if (directive_[i].is(Punct::LParen)) ++depth;
        if (directive_[i].is(Punct::RParen) && --depth == 0) break;
      }
      continue;
    }
    if (isNotCallable(token.text) || groups.inside()) continue;
    if (std::find(params.begin(), params.end(), token.text) != params.end()) continue;
    if (i > bodyBegin && (directive_[i - 1].is(Punct::Hash) || directive_[i - 1].is(Punct::HashHash)))
      continue;
    const bool member =
        i > bodyBegin && (directive_[i - 1].is(Punct::Arrow) || directive_[i - 1].is(Punct::Dot));
    const bool macro = !member && makesName(token.text);
    recordCall(token, member, macro);
    if (macro) recordMadeCall(i, params);
  }
  current_ = saved;
}

// With a build, `PRIV(f)(x)` in a replacement calls the name the macro makes,
// unless the enclosing macro's parameters make it.
void CScanner::recordMadeCall(std::size_t at, const std::vector<std::string_view>& params) {
  macroName_ = directive_[at];
  macroTokens_.clear();
  int depth = 0;
  std::size_t i = at + 1;
  for (; i < directive_.size(); ++i) {
    const Token& token = directive_[i];
    if (token.is(Punct::LParen) && depth++ == 0) continue;
    if (token.is(Punct::RParen) && --depth == 0) break;
    if (depth > 1 || token.is(Punct::LParen) || token.is(Punct::Hash) || token.is(Punct::HashHash)) return;
    if (isName(token) && std::find(params.begin(), params.end(), token.text) != params.end()) return;
    macroTokens_.push_back(ppTokenOf(token));
  }
  if (i + 1 >= directive_.size() || !directive_[i + 1].is(Punct::LParen)) return;
  const std::string_view made = nameMadeByMacro();
  if (!made.empty()) recordCall(made, macroName_.place, false);
}

void CScanner::undefineMacro() {
  if (directive_.empty() || !isName(directive_[0])) return;
  MacroState state;
  state.kind = MacroState::Undefined;
  keepNamesBefore(directive_[0].text);
  setSymbol(directive_[0].text, state);
}

// Changes a symbol, noting its earlier state in every open conditional, so that
// branches that follow start from the state at their #if.
void CScanner::setSymbol(std::string_view name, const MacroState& state) {
  if (includes_ && takeSymbolStep(name, state)) return;  // c_includes.cpp
  for (Conditional& level : conditionals_) {
    // Only a conditional with an undecided branch scans a further branch after
    // this one, from the symbols at its #if.
    if (level.maybeTaken && level.touchedAt.count(name) == 0) {
      level.touchedAt.emplace(name, level.touched.size());
      level.touched.push_back(Touched{name, macros_.find(name), {}});
    }
  }
  if (outOfDefault_) separateDefaults();  // a plain build does not see this
  macros_.set(name, state);
  if (!outOfDefault_ && !defaultsFollow_) defaults_.set(name, state);
}

void CScanner::openConditional(std::string_view word, Truth truth, const Token& hash,
                               std::string_view guard, bool guardDefined) {
  bool byDefault = truth == Truth::True;
  if (truth == Truth::Unknown) {
    facts_.problems.push_back({ScanProblem::Undecided, hash.place, conditionText(0)});
    byDefault = defaultTruth(0, word);
  }
  Conditional& level = conditionals_.emplace_back();
  level.place = hash.place;
  level.guardName = guard;
  level.guardDefined = guardDefined;
  level.restores = conditionals_.size() <= kRestoringDepth;
  if (level.restores) {
    level.snapshot = takeSnapshot();
  } else if (conditionals_.size() == kRestoringDepth + 1) {
    facts_.problems.push_back({ScanProblem::TooDeep, hash.place,
                               "conditionals within 4096 others: branches read one after the other"});
  }
  enterBranch(level, truth, byDefault);
}

// The value of the directive's condition in a build that defines nothing unknown;
// `word` is the directive's name.
bool CScanner::defaultTruth(std::size_t from, const std::string_view& word) {
  separateDefaults();  // the condition is undecided: the views part here
  if (word == "ifdef" || word == "elifdef" || word == "ifndef" || word == "elifndef") {
    const bool defined = from < directive_.size() &&
                         defaults_.find(directive_[from].text).kind == MacroState::Defined;
    return defined == (word == "ifdef" || word == "elifdef");
  }
  std::vector<PpToken> tokens;
  for (std::size_t i = from; i < directive_.size(); ++i) tokens.push_back(ppTokenOf(directive_[i]));
  if (config_.build) settleHasInclude(tokens);  // c_includes.cpp
  return evaluateByDefault(tokens, defaults_);
}

void CScanner::updateDefault() {
  outOfDefault_ = outOfDefaultLevels_ > 0;
}

void CScanner::enterBranch(Conditional& level, Truth truth, bool byDefault) {
  bool scan;
  bool undecided = false;
  if (level.taken || truth == Truth::False) {
    scan = false;
  } else if (truth == Truth::True) {
    scan = true;
    undecided = level.maybeTaken;
    level.taken = true;  // no later branch is compiled
  } else {
    scan = true;
    undecided = true;
    level.maybeTaken = true;
  }
  if (scan && level.anyScanned) {
    if (level.restores) restore(level.snapshot);
    for (const Touched& touched : level.touched) macros_.set(touched.name, touched.atIf);
  }
  level.scanning = scan;
  if (scan) level.anyScanned = true;
  if (scan && undecided) level.anyUndecided = true;
  const bool wasByDefault = level.byDefault;
  level.byDefault = scan && (!undecided || (byDefault && !level.defaultTaken));
  if (level.byDefault) level.defaultTaken = true;
  if (wasByDefault != level.byDefault) outOfDefaultLevels_ += level.byDefault ? -1 : 1;
  updateDefault();
}

// Notes the state of every touched symbol at the end of a scanned branch, and the
// structure at the end of the branch a plain build compiles.
void CScanner::endBranch(Conditional& level, bool last) {
  if (last) level.lastScanned = level.scanning;
  if (!level.scanning) return;
  level.lastWasDefault = level.byDefault;
  if (level.byDefault && level.anyUndecided && level.restores) {
    level.defaultEnd = takeSnapshot();
    level.hasDefaultEnd = true;
  }
  if (last) return;  // the symbols' states are the current ones
  for (Touched& touched : level.touched) {
    while (touched.branchEnds.size() < level.branches) touched.branchEnds.push_back(touched.atIf);
    touched.branchEnds.push_back(macros_.find(touched.name));
  }
  ++level.branches;
}

// #elif, #elifdef or #elifndef, whose tokens are read.
void CScanner::elseIf(std::string_view word, const Token& hash) {
  Truth truth = Truth::False;
  bool byDefault = false;
  if (!conditionals_.empty() && !conditionals_.back().taken) {
    truth = word == "elif" ? conditionOf(0) : definedTruth(0, word == "elifdef");
    byDefault = truth == Truth::True;
    if (truth == Truth::Unknown) {
      facts_.problems.push_back({ScanProblem::Undecided, hash.place, conditionText(0)});
      byDefault = defaultTruth(0, word);
    }
  }
  nextBranch(truth, false, hash, byDefault);
}

void CScanner::nextBranch(Truth truth, bool isElse, const Token& hash, bool byDefault) {
  if (conditionals_.empty()) {
    facts_.problems.push_back({ScanProblem::ExcessCondition, hash.place, isElse ? "#else" : "#elif"});
    return;
  }
  Conditional& level = conditionals_.back();
  if (level.scanning && current_ == kNone && atFileLevel()) {
    const Head head = readFileHead();
    if (head.kind == Head::Function) {
      level.alternatives.push_back(Alternative{decl_[head.name], head.isStatic, decl_.front().place});
    }
  }
  endBranch(level, false);
  if (isElse) level.hasElse = true;
  enterBranch(level, truth, byDefault);
}

void CScanner::closeConditional(const Token& hash) {
  if (conditionals_.empty()) {
    facts_.problems.push_back({ScanProblem::ExcessCondition, hash.place, "#endif"});
    return;
  }
  Conditional& level = conditionals_.back();
  endBranch(level, true);
  if (level.anyUndecided) mergeTouched(level);
  // After an undecided conditional the structure goes on as a plain build's does:
  // from the end of its branch, or from the #if when it compiles none. Branches
  // that open or close a brace the others do not then agree with the
  // conditionals after them on the same symbol. A head another branch left
  // becomes an alternative.
  const bool passedBy = level.anyUndecided && level.restores && !level.hasDefaultEnd &&
                        !level.hasElse && !level.defaultTaken;
  if (passedBy) {
    level.defaultEnd = level.snapshot;
    level.hasDefaultEnd = true;
    level.lastWasDefault = false;
  }
  if (level.hasDefaultEnd && !level.lastWasDefault) {
    if (current_ == kNone && atFileLevel()) {
      const Head head = readFileHead();
      if (head.kind == Head::Function) {
        level.alternatives.push_back(Alternative{decl_[head.name], head.isStatic, decl_.front().place});
      }
    }
    restore(level.defaultEnd);
  }
  if (current_ == kNone && atFileLevel()) {
    alternatives_.insert(alternatives_.end(), level.alternatives.begin(), level.alternatives.end());
  }
  if (!level.byDefault) --outOfDefaultLevels_;
  conditionals_.pop_back();
  updateDefault();
}

// After an undecided conditional a symbol keeps what every way through it leaves:
// the scanned branches, and the way past all of them when none must be taken. So
// `#ifndef X` / `#define X 1` / `#endif` leaves X undecided, as a -DX=2 would
// make it; a plain build's view (`defaults_`) has X as 1.
void CScanner::mergeTouched(Conditional& level) {
  const bool passesBy = !level.taken && !level.hasElse;
  for (Touched& touched : level.touched) {
    MacroState merged;
    bool any = false;
    bool unknown = false;
    auto add = [&](const MacroState& way) {
      if (!any) {
        merged = way;
        any = true;
      } else if (!merged.sameAs(way)) {
        if (merged.kind == MacroState::Defined && way.kind == MacroState::Defined) {
          merged.valueKnown = false;
        } else {
          unknown = true;
        }
      }
    };
    for (std::uint32_t b = 0; b < level.branches && !unknown; ++b) {
      add(b < touched.branchEnds.size() ? touched.branchEnds[b] : touched.atIf);
    }
    if (level.lastScanned && !unknown) add(macros_.find(touched.name));
    if (passesBy && !unknown) {
      MacroState past = touched.atIf;
      if (past.kind == MacroState::Unknown && touched.name == level.guardName) {
        past.kind = level.guardDefined ? MacroState::Undefined : MacroState::Defined;
        past.valueKnown = false;
      }
      add(past);
    }
    if (!any) continue;
    macros_.set(touched.name, unknown ? MacroState{} : merged);
  }
}

// Passes over a branch that is not compiled, up to the directive that ends it.
void CScanner::skipDeadText() {
  int nested = 0;
  while (lexer_.skipToDirective()) {
    const Token name = lexer_.nextInDirective();
    const std::string_view word = isName(name) ? name.text : std::string_view();
    const Token hash{TokenKind::Directive, Punct::None, false, "#", name.place};
    if (word == "if" || word == "ifdef" || word == "ifndef") {
      ++nested;
      lexer_.skipDirectiveLine();
      continue;
    }
    if (nested > 0) {
      if (word == "endif") --nested;
      lexer_.skipDirectiveLine();
      continue;
    }
    if (word == "endif") {
      lexer_.skipDirectiveLine();
      closeConditional(hash);
      return;
    }
    if (word == "else" || word == "elif" || word == "elifdef" || word == "elifndef") {
      readDirectiveTokens();
      if (word == "else") {
        nextBranch(Truth::True, true, hash, true);
      } else {
        elseIf(word, hash);
      }
      if (conditionals_.back().scanning) return;
      continue;
    }
    lexer_.skipDirectiveLine();
  }
}

CScanner::Snapshot CScanner::takeSnapshot() const {
  Snapshot snapshot;
  snapshot.blocks = blocks_;
  snapshot.decl = decl_;
  snapshot.declParens = declParens_;
  snapshot.transparent = transparent_;
  snapshot.oldStyle = oldStyle_;
  snapshot.parens = parens_;
  snapshot.statement = statement_;
  snapshot.current = current_;
  return snapshot;
}

void CScanner::restore(const Snapshot& snapshot) {
  blocks_ = snapshot.blocks;
  decl_ = snapshot.decl;
  declParens_ = snapshot.declParens;
  transparent_ = snapshot.transparent;
  oldStyle_ = snapshot.oldStyle;
  parens_ = snapshot.parens;
  statement_ = snapshot.statement;
  current_ = snapshot.current;
  tentative_ = Tentative{};
  lexer_.captureCaptions(current_ == kNone && atFileLevel());
}

}  // namespace quenwick
