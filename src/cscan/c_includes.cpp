// The C scan of a file of a build: the compiler's macros and the command's
// symbols to start from, `#include` followed with the build's search folders for
// the directives of the headers (#define, #undef and the conditionals around
// them), and the headers that the file reaches scanned as files with the symbols
// it had where it included them.
#include <unordered_set>

#include "cscan/c_build.h"
#include "cscan/c_expander.h"
#include "cscan/c_scanner.h"
#include "platform/file_path.h"

namespace quenwick {

namespace {

// Headers included within headers deeper than this are a loop: GCC stops at 200.
constexpr std::size_t kIncludeDepth = 200;

bool isPunct(const PpToken& token, std::string_view text) {
  return token.kind == PpToken::Punct && token.text == text;
}

// The header name an #include line gives: `"x.h"` or `<x.h>` with its delimiters,
// from the tokens after the directive's name (expanded already when they were
// macros); empty when they give none.
std::string headerNameOf(const std::vector<PpToken>& tokens) {
  if (tokens.empty()) return std::string();
  if (tokens[0].kind == PpToken::String && tokens[0].text.size() >= 2 && tokens[0].text[0] == '"') {
    return tokens[0].text;
  }
  if (!isPunct(tokens[0], "<")) return std::string();
  std::string name = "<";
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (isPunct(tokens[i], ">")) return name + ">";
    if (tokens[i].spaceBefore && i > 1) name += ' ';
    name += tokens[i].text;
  }
  return std::string();
}

}  // namespace

/// What the includes of one scan have done so far.
struct CScanner::IncludeState {
  /// A file being read: the scanned file first, then each header it is inside.
  struct Frame {
    std::string path;     // absolute, in normal form
    std::string folder;   // its folder, searched first for "x.h"
    int chain = -1;       // the search folder it was found in (-1: none), for #include_next
    bool system = false;  // found in a system folder
  };
  std::vector<Frame> frames;                               // the files being read, outermost first
  std::vector<std::shared_ptr<const HeaderText>> held;     // headers read: views into them stay valid
  std::unordered_set<std::string> once;                    // headers of "#pragma once" read already
  std::unordered_set<std::string> recorded;                // the paths in the facts' headers
  std::unordered_set<std::string> missing;                 // the names in the facts' missing headers
  const CScanner* outer = nullptr;                         // the scan whose #include made this scan
  std::string includer;                                    // the scanned file of the run, as its facts name it
  SourcePlace at{1, 1};                                    // the scanned file's #include being followed
};

void CScanner::startBuild() {
  if (nesting_ > 0) return;  // the scan of an expansion reads its outer scan's symbols
  const CBuild& build = *config_.build;
  if (includes_ && includes_->outer != nullptr) {
    // A header scanned as a file: the symbols are the includer's at its #include.
    const CScanner& outer = *includes_->outer;
    macros_ = MacroTable(&outer.macros_);
    defaults_ = MacroTable(&outer.defaults_);
    macros_.setUnlistedUndefined(outer.macros_.unlisted().kind == MacroState::Undefined);
    defaults_.setUnlistedUndefined(true);
    return;
  }
  includes_ = std::make_shared<IncludeState>();
  macros_ = MacroTable(build.predefined.get());
  defaults_ = MacroTable(build.predefined.get());
  macros_.setUnlistedUndefined(true);
  defaults_.setUnlistedUndefined(true);
  applySymbols(config_);
  const std::string path = absolutePath(facts_.path, currentDirectory());
  includes_->frames.push_back(IncludeState::Frame{path, folderOf(path), -1, false});
  includes_->includer = facts_.path;
  // -include files come before the first line, as if it included them.
  for (const std::string& forced : build.forcedIncludes) {
    if (build.headers->exists(forced)) {
      includeHeader(forced, -1, false);
    } else {
      noteMissingHeader("\"" + forced + "\"");
    }
  }
}

void CScanner::followInclude(const Token& hash, std::string_view word) {
  if (!includes_) return lexer_.skipDirectiveLine();  // the text of an expansion includes nothing
  readDirectiveTokens();
  includes_->at = hash.place;
  std::vector<PpToken> tokens;
  for (std::size_t i = 0; i < directive_.size(); ++i) {
    const Token& token = directive_[i];
    if (i == 0 && token.is(Punct::Less)) {
      // <x.h> as it is written, whatever its bytes are as tokens.
      const char* p = token.text.data();
      std::string name;
      while (*p != '\0' && *p != '\n' && (*p != '>' || name.empty())) name += *p++;
      if (*p == '>') {
        tokens.push_back(PpToken{PpToken::String, name + ">", false});
        break;
      }
    }
    PpToken::Kind kind = token.kind == TokenKind::Identifier ? PpToken::Identifier
                         : token.kind == TokenKind::String   ? PpToken::String
                         : token.kind == TokenKind::Number   ? PpToken::Number
                                                             : PpToken::Punct;
    tokens.push_back(PpToken{kind, std::string(token.text), token.spaceBefore});
  }
  std::string name;
  if (!tokens.empty() && tokens[0].kind == PpToken::String && !tokens[0].text.empty() &&
      (tokens[0].text[0] == '"' || tokens[0].text[0] == '<')) {
    name = tokens[0].text;
  } else {
    // A computed include: `#include HEADER` with HEADER a macro.
    std::vector<PpToken> expanded;
    expandMacros(tokens, macros_, expanded);
    name = headerNameOf(expanded);
  }
  // A source that includes another source sees its static functions, as unconfigured.
  if (name.size() > 2 && name.front() == '"' && !sharesStatics(name.substr(1, name.size() - 2))) {
    facts_.includedSources.push_back(name.substr(1, name.size() - 2));
  }
  if (name.empty()) {
    std::string written;
    for (const PpToken& token : tokens) written += (written.empty() ? "" : " ") + token.text;
    noteMissingHeader(written);
    return;
  }
  includeNamed(name, word == "include_next");
}

void CScanner::includeNamed(const std::string& name, bool next) {
  std::string path;
  int chain = -1;
  bool system = false;
  if (!findHeader(name, next, path, chain, system)) return noteMissingHeader(name);
  includeHeader(path, chain, system);
}

// Looks for the header `name` ("x.h" or <x.h>) as the compiler does: a "x.h" in
// the folder of the file that includes it, then in the -iquote folders; then, and
// for <x.h>, in the search folders in order, from the one after the includer's
// for #include_next.
bool CScanner::findHeader(const std::string& name, bool next, std::string& path, int& chain,
                          bool& system) const {
  if (name.size() < 3) return false;
  const std::string inner = name.substr(1, name.size() - 2);
  const CBuild& build = *config_.build;
  HeaderCache& cache = *build.headers;
  if (isAbsolutePath(inner)) {
    path = normalPath(inner);
    chain = -1;
    system = false;
    return cache.exists(path);
  }
  const IncludeState::Frame& frame = includes_->frames.back();
  std::size_t from = 0;
  if (next && frame.chain >= 0 && includes_->frames.size() > 1) {
    from = static_cast<std::size_t>(frame.chain) + 1;
  } else if (name.front() == '"') {
    path = normalPath(frame.folder + "/" + inner);
    if (cache.exists(path)) {
      chain = -1;
      system = frame.system;
      return true;
    }
    for (const std::string& folder : build.quoteFolders) {
      path = normalPath(folder + "/" + inner);
      if (cache.exists(path)) {
        chain = -1;
        system = false;
        return true;
      }
    }
  }
  for (std::size_t i = from; i < build.folders.size(); ++i) {
    path = normalPath(build.folders[i].path + "/" + inner);
    if (cache.exists(path)) {
      chain = static_cast<int>(i);
      system = build.folders[i].system;
      return true;
    }
  }
  return false;
}

void CScanner::includeHeader(const std::string& path, int chain, bool system) {
  IncludeState& state = *includes_;
  if (state.frames.size() > kIncludeDepth) return;
  std::shared_ptr<const HeaderText> text = config_.build->headers->get(path);
  if (!text) return noteMissingHeader("\"" + path + "\"");
  if (state.recorded.insert(path).second) facts_.headers.push_back(path);
  if (text->pragmaOnce && state.once.count(path) != 0) return;
  if (!text->guard.empty() && macros_.find(text->guard).kind == MacroState::Defined) return;
  if (text->pragmaOnce) state.once.insert(path);
  if (!system && config_.reached != nullptr) scanHeaderAsFile(*text, chain);
  state.held.push_back(text);
  state.frames.push_back(IncludeState::Frame{path, folderOf(path), chain, system});
  readHeaderLines(*text);
  state.frames.pop_back();
}

// Carries out the directives of a header. Its conditionals go on the scan's own
// stack, so a symbol it changes in an undecided branch is merged as the file's
// own are, and a header included in an undecided branch of the file changes what
// that branch changes.
void CScanner::readHeaderLines(const HeaderText& text) {
  const std::size_t base = conditionals_.size();
  const std::vector<HeaderLine>& lines = text.lines;
  std::size_t i = 0;
  while (i < lines.size()) {
    const HeaderLine& line = lines[i];
    switch (line.kind) {
      case HeaderLine::Define:
        setSymbol(line.name, line.macro);
        break;
      case HeaderLine::Undef: {
        MacroState undefined;
        undefined.kind = MacroState::Undefined;
        setSymbol(line.name, undefined);
        break;
      }
      case HeaderLine::If:
      case HeaderLine::Ifdef:
      case HeaderLine::Ifndef:
        openHeaderConditional(line);
        if (!conditionals_.back().scanning) {
          i = line.next;
          continue;
        }
        break;
      case HeaderLine::Elif:
      case HeaderLine::Elifdef:
      case HeaderLine::Elifndef:
      case HeaderLine::Else:
        if (conditionals_.size() == base) break;  // no #if of this header is open
        nextHeaderBranch(line);
        if (!conditionals_.back().scanning) {
          i = line.next;
          continue;
        }
        break;
      case HeaderLine::Endif:
        if (conditionals_.size() > base) closeHeaderConditional();
        break;
      case HeaderLine::Include:
      case HeaderLine::IncludeNext: {
        std::string name = line.header;
        if (name.empty()) {
          std::vector<PpToken> expanded;
          expandMacros(line.tokens, macros_, expanded);
          name = headerNameOf(expanded);
        }
        if (name.empty()) {
          noteMissingHeader(text.path + ":" + std::to_string(line.place.line));
        } else {
          includeNamed(name, line.kind == HeaderLine::IncludeNext);
        }
        break;
      }
    }
    ++i;
  }
  while (conditionals_.size() > base) closeHeaderConditional();  // left open by the header
}

// The value of a header's #if, #ifdef, #elif... line; `byDefault` is its value in
// a plain build when the symbols do not decide it.
Truth CScanner::headerTruth(const HeaderLine& line, bool& byDefault) {
  Truth truth;
  if (line.kind == HeaderLine::If || line.kind == HeaderLine::Elif) {
    std::vector<PpToken> tokens = line.tokens;
    settleHasInclude(tokens);
    truth = evaluateCondition(tokens, macros_);
    byDefault = truth == Truth::True || (truth == Truth::Unknown && evaluateByDefault(tokens, defaults_));
    return truth;
  }
  const bool wantDefined = line.kind == HeaderLine::Ifdef || line.kind == HeaderLine::Elifdef;
  const MacroState::Kind kind = macros_.find(line.name).kind;
  truth = kind == MacroState::Unknown                       ? Truth::Unknown
          : (kind == MacroState::Defined) == wantDefined ? Truth::True
                                                          : Truth::False;
  byDefault = truth == Truth::True ||
              (truth == Truth::Unknown &&
               (defaults_.find(line.name).kind == MacroState::Defined) == wantDefined);
  return truth;
}

void CScanner::openHeaderConditional(const HeaderLine& line) {
  bool byDefault = false;
  const Truth truth = headerTruth(line, byDefault);
  Conditional& level = conditionals_.emplace_back();
  level.place = line.place;
  level.restores = false;  // a header holds no structure to go back to
  if (line.kind != HeaderLine::If) {
    level.guardName = line.name;
    level.guardDefined = line.kind == HeaderLine::Ifdef;
  }
  enterBranch(level, truth, byDefault);
}

void CScanner::nextHeaderBranch(const HeaderLine& line) {
  Conditional& level = conditionals_.back();
  Truth truth = Truth::False;
  bool byDefault = false;
  if (line.kind == HeaderLine::Else) {
    truth = Truth::True;
    byDefault = true;
  } else if (!level.taken) {
    truth = headerTruth(line, byDefault);
  }
  endBranch(level);
  if (line.kind == HeaderLine::Else) level.hasElse = true;
  enterBranch(level, truth, byDefault);
}

void CScanner::closeHeaderConditional() {
  Conditional& level = conditionals_.back();
  endBranch(level);
  if (level.anyUndecided) mergeTouched(level);
  if (!level.byDefault) --outOfDefaultLevels_;
  conditionals_.pop_back();
  updateDefault();
}

// Scans a header as a file of its own, with the symbols this file has at its
// #include, when no file before this one in the run did so.
void CScanner::scanHeaderAsFile(const HeaderText& text, int chain) {
  ReachedHeaders& reached = *config_.reached;
  if (!reached.claim(text.path, config_.rank)) return;
  FileFacts facts;
  facts.path = reached.shown(text.path);
  facts.read = true;
  const SourceText source(text.bytes, detectEncoding(text.bytes));
  facts.encoding = source.encoding();
  CScanner inner(source, config_, facts);
  inner.includes_ = std::make_shared<IncludeState>();
  inner.includes_->outer = this;
  inner.includes_->includer = includes_->includer;
  inner.includes_->frames.push_back(IncludeState::Frame{text.path, folderOf(text.path), chain, false});
  inner.run();
  reached.store(text.path, config_.rank, includes_->includer, std::move(facts));
}

// A header that is not found: what it would define is not known, so from here on a
// symbol that nothing defines is unknown, as it is without a build.
void CScanner::noteMissingHeader(const std::string& name) {
  IncludeState& state = *includes_;
  if (state.missing.insert(name).second) {
    facts_.missingHeaders.push_back(name);
    facts_.problems.push_back({ScanProblem::HeaderMissing, state.at, name});
  }
  macros_.setUnlistedUndefined(false);
}

// Replaces each `__has_include(...)` and `__has_include_next(...)` of a condition
// by 1 or 0, as the build's search finds the header or not.
void CScanner::settleHasInclude(std::vector<PpToken>& tokens) const {
  if (!includes_) return;
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    const PpToken& word = tokens[i];
    if (word.kind != PpToken::Identifier ||
        (word.text != "__has_include" && word.text != "__has_include_next") ||
        !isPunct(tokens[i + 1], "(")) {
      continue;
    }
    std::size_t close = i + 2;
    while (close < tokens.size() && !isPunct(tokens[close], ")")) ++close;
    if (close >= tokens.size()) return;
    std::vector<PpToken> inside(tokens.begin() + static_cast<std::ptrdiff_t>(i) + 2,
                                tokens.begin() + static_cast<std::ptrdiff_t>(close));
    const std::string name = headerNameOf(inside);
    if (name.empty()) continue;
    std::string path;
    int chain = -1;
    bool system = false;
    const bool found = findHeader(name, word.text == "__has_include_next", path, chain, system);
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                 tokens.begin() + static_cast<std::ptrdiff_t>(close) + 1);
    tokens[i] = PpToken{PpToken::Number, found ? "1" : "0", word.spaceBefore};
  }
}

}  // namespace quenwick
