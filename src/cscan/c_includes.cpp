// The C scan of a file of a build: the compiler's macros and the command's
// symbols to start from, `#include` followed with the build's search folders for
// the directives of the headers (#define, #undef and the conditionals around
// them), and the headers that the file reaches scanned as files with the symbols
// it had where it included them.
#include <algorithm>
#include <memory_resource>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "cscan/c_build.h"
#include "cscan/c_expander.h"
#include "cscan/c_scan.h"
#include "cscan/c_scanner.h"
#include "cscan/c_source.h"
#include "cscan/c_words.h"
#include "platform/file_path.h"
#include "platform/text_input.h"

namespace quenwick {

namespace {

// Headers included within headers deeper than this are a loop: GCC stops at 200.
constexpr std::size_t kIncludeDepth = 200;
// A file takes at most this many shared first steps, and this many of them
// #define or #undef; past them it goes on alone (a file of thousands of
// #define lines shares nothing with another anyway).
constexpr int kMostSteps = 256;
constexpr int kMostSymbolSteps = 32;
// A step's tables build on the step before; every so many steps one table holds
// them all, so that a lookup passes few tables.
constexpr int kStepDepth = 8;
// A run of a header's lines that reads fewer than this has no effect remembered:
// reading it again costs less than looking one up.
constexpr std::uint32_t kLinesWorthAnEffect = 4;

// A key for a symbol's state: equal for equal states.
std::string stateKey(std::string_view name, const MacroState& state) {
  std::string key = "d";
  key += name;
  key += '\n';
  key += static_cast<char>('0' + state.kind);
  key += state.functionLike ? 'f' : 'o';
  key += state.valueKnown ? 'k' : 'u';
  key += state.variadic ? 'v' : '-';
  for (std::string_view param : state.params) {
    key += param;
    key += ',';
  }
  key += '\n';
  key += state.body;
  return key;
}

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

/// An #include's search, answered once in a scan: a file's headers include the
/// same few headers again and again, each guarded.
struct CScanner::Resolved {
  HeaderSearches::Found found;             // where the search found the header
  std::shared_ptr<const HeaderText> text;  // the header, once read
  bool met = false;                        // `meetHeader` noted it
};

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
  std::unordered_map<std::string, Resolved> resolved;      // the searches made, by `searchKey`
  std::string key;                                         // room for the key of the next search
  std::string_view ownGuard;                               // a header scanned as a file: its guard, until its #ifndef
  // The first steps, shared with the files of the build that begin alike.
  PrefixTree* tree = nullptr;                  // the build's tree (null: nothing shared)
  std::uint64_t generation = 0;                // the header cache's, when the scan started
  std::shared_ptr<const PrefixNode> node;      // where the file's steps led
  bool onSteps = false;                        // nothing but shared steps happened so far
  bool stepping = false;                       // an #include of a step is being read
  int steps = 0;                               // steps taken
  int symbolSteps = 0;                         // #define and #undef steps taken
  std::size_t problemsSeen = 0;                // problems checked for undecided conditionals
  std::vector<HeaderReach> reachable;          // the project's headers met since the last step began
  // What the run of a header's lines being read does, to make its effect of. One
  // run at a time: a run ends before the reading follows an #include, so nothing
  // that following does (a header not found, one read before) is in a run.
  struct Write {
    std::string_view name;    // the symbol changed (kept in `logTexts`)
    std::size_t macroReads;   // lookups before it
    std::size_t defaultReads; // lookups of the plain build's view before it
    bool inDefaults;          // that view changed too
  };
  struct Recording {
    std::uint32_t start;  // the header's line it began at
    bool outOfDefault;    // it began out of a plain build's branches
  };
  TextArena logTexts;                          // the names in the logs below
  HeaderEffect::Lookups macroReads;            // lookups of the symbols while recording
  HeaderEffect::Lookups defaultReads;          // lookups of the plain build's view
  std::vector<Write> writes;                   // changes of the symbols
  std::vector<std::uint32_t> branchNotes;      // the branches read
  std::optional<Recording> recording;          // the run being recorded, if any
  std::vector<std::shared_ptr<const HeaderEffect>> effectsUsed;  // their names stay valid
};

void CScanner::startBuild() {
  if (nesting_ > 0) return;  // the scan of an expansion reads its outer scan's symbols
  const CBuild& build = *config_.build;
  if (includes_ && includes_->outer != nullptr) {
    // A header scanned as a file: the symbols are the includer's at its #include.
    const CScanner& outer = *includes_->outer;
    macros_ = MacroTable(&outer.macros_);
    macros_.setUnlistedUndefined(outer.macros_.unlisted().kind == MacroState::Undefined);
    defaultsFollow_ = outer.defaultsFollow_;
    if (!defaultsFollow_) {
      defaults_ = MacroTable(&outer.defaults_);
      defaults_.setUnlistedUndefined(true);
    }
    return;
  }
  includes_ = std::make_shared<IncludeState>();
  macros_ = MacroTable(build.predefined.get());
  defaults_ = MacroTable(build.predefined.get());
  macros_.setUnlistedUndefined(true);
  defaults_.setUnlistedUndefined(true);
  macros_.watchLookups(watch_);
  defaults_.watchLookups(watch_);
  // Until something is undecided, a plain build decides as the build does.
  defaultsFollow_ = true;
  applySymbols(config_);
  // The file's folder with its links followed, as the build's folders are.
  const std::string named = absolutePath(facts_.path, currentDirectory());
  const std::string real = build.headers->resolvedFolder(folderOf(named));
  const std::string folder = real.empty() ? folderOf(named) : real;
  const std::string path = joinPath(folder, named.substr(named.find_last_of('/') + 1));
  includes_->frames.push_back(IncludeState::Frame{path, folder, -1, false});
  includes_->includer = facts_.path;
  if (build.prefixes) {
    // The start is the build's with this file's symbols: shared by the files that have them.
    IncludeState& state = *includes_;
    state.tree = build.prefixes.get();
    state.generation = build.headers->generation();
    std::string key = "s";
    for (const SymbolSetting& symbol : config_.symbols) {
      key += symbol.define ? "\nD" : "\nU";
      key += symbol.name;
      if (symbol.value) key += "=" + *symbol.value;
    }
    std::shared_ptr<const PrefixNode> start = state.tree->find(nullptr, key, state.generation);
    if (!start) {
      auto made = std::make_shared<PrefixNode>();
      // Copies: the node outlives this file's configuration.
      made->macros = std::make_shared<MacroTable>(macros_.flattened(build.predefined.get()));
      made->defaults = made->macros;
      start = state.tree->add(nullptr, key, std::move(made), state.generation);
    }
    state.onSteps = config_.sharedSteps;
    adoptStep(std::move(start));
  }
  // -include files come before the first line, as if it included them: looked for
  // in the compiler's folder first, then as "x.h" is, but for the file's folder.
  for (const std::string& forced : build.forcedIncludes) {
    std::string found = absolutePath(forced, build.directory);
    int chain = -1;
    bool system = false;
    if (build.headers->exists(found) ||
        findHeader("\"" + forced + "\"", true, found, chain, system)) {
      includeHeader(found, chain, system);
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
    tokens.push_back(ppTokenOf(token));
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
  Resolved& header = resolveHeader(name, next);
  if (!header.found.found) return noteMissingHeader(name);
  includeHeader(header.found.path, header.found.chain, header.found.system, &header);
}

// The answer of `findHeader`, asked once in the scan for each way of asking.
CScanner::Resolved& CScanner::resolveHeader(const std::string& name, bool next) {
  IncludeState& state = *includes_;
  searchKey(name, next, state.key);
  auto known = state.resolved.find(state.key);
  if (known != state.resolved.end()) return known->second;
  Resolved made;
  made.found.found = findHeader(name, next, made.found.path, made.found.chain, made.found.system);
  return state.resolved.emplace(state.key, std::move(made)).first->second;
}

// What the answer of a search for `name` depends on, as one key: for "x.h" the
// includer's folder, for #include_next the folder the includer was found in.
void CScanner::searchKey(const std::string& name, bool next, std::string& key) const {
  const IncludeState::Frame& frame = includes_->frames.back();
  key.clear();
  if (next && frame.chain >= 0 && includes_->frames.size() > 1) {
    key = "n" + std::to_string(frame.chain);
  } else if (next) {
    key = "N";
  } else if (name.front() == '"') {
    key = frame.system ? "s" : "p";
    key += frame.folder;
  }
  key += '\n';
  key += name;
}

// Looks for the header `name` ("x.h" or <x.h>) as the compiler does, asking the
// file system once per build for each way of asking.
bool CScanner::findHeader(const std::string& name, bool next, std::string& path, int& chain,
                          bool& system) const {
  HeaderSearches* searches = config_.build->searches.get();
  if (searches == nullptr || name.size() < 3) return searchHeader(name, next, path, chain, system);
  std::string key;
  searchKey(name, next, key);
  HeaderSearches::Found found;
  if (!searches->find(key, includes_->generation, found)) {
    found.found = searchHeader(name, next, found.path, found.chain, found.system);
    searches->add(key, found, includes_->generation);
  }
  path = std::move(found.path);
  chain = found.chain;
  system = found.system;
  return found.found;
}

// Looks for the header `name` ("x.h" or <x.h>) as the compiler does: a "x.h" in
// the folder of the file that includes it, then in the -iquote folders; then, and
// for <x.h>, in the search folders in order, from the one after the includer's
// for #include_next.
bool CScanner::searchHeader(const std::string& name, bool next, std::string& path, int& chain,
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
  } else if (next && name.front() == '"') {
    // #include_next outside any header, and -include: the quote folders, not the file's own
    for (const std::string& folder : build.quoteFolders) {
      path = normalPath(folder + "/" + inner);
      if (cache.exists(path)) {
        chain = -1;
        system = false;
        return true;
      }
    }
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

// `resolved`, when given, is the search that found it, which keeps the header
// once read.
void CScanner::includeHeader(const std::string& path, int chain, bool system, Resolved* resolved) {
  IncludeState& state = *includes_;
  if (state.frames.size() == 1 && !system) includeBody(path);
  if (state.frames.size() == 1 && !state.stepping && takeIncludeStep(path, chain, system)) return;
  if (state.frames.size() > kIncludeDepth) return;
  std::shared_ptr<const HeaderText> read;
  if (resolved == nullptr || !resolved->text) {
    read = config_.build->headers->get(path);
    if (!read) return noteMissingHeader("\"" + path + "\"");
    if (resolved != nullptr) resolved->text = read;
  }
  const HeaderText* text = read ? read.get() : resolved->text.get();
  const bool readBefore = (resolved != nullptr && resolved->met) || state.recorded.count(path) != 0;
  if (resolved == nullptr || !resolved->met) meetHeader(path);
  if (resolved != nullptr) resolved->met = true;
  if (text->pragmaOnce && state.once.count(path) != 0) return;
  if (!text->guard.empty()) {
    const MacroState::Kind guard = macros_.find(text->guard).kind;
    if (guard == MacroState::Defined) {
      // A guard the file defined itself before its first #include of the header
      // (`#define PRIV(n) n`, then a source that defines PRIV unless defined): the
      // code outside the guard is still the file's, so a project header is read,
      // its conditionals left as they are.
      if (readBefore || system || config_.reached == nullptr || includes_->outer != nullptr) return;
    }
    // A guarded header this file read already, whose guard an undecided
    // conditional left unknown: what it defines is as known as it can be, and
    // reading it again would repeat it, header within header, for every include.
    if (guard == MacroState::Unknown && readBefore) return;
  }
  if (text->pragmaOnce) state.once.insert(path);
  std::size_t reach = SIZE_MAX;
  std::uint64_t shape = 0;  // a template's: what the includer's macros make of its code
  if (!system && config_.reached != nullptr) {
    reach = state.reachable.size();
    state.reachable.push_back(HeaderReach{path, 0, !text->codeNames.empty()});
    for (std::string_view name : text->codeNames) shape = (shape ^ digestOf(macros_.find(name))) * 0x100000001b3;
    scanHeaderAsFile(*text, chain);
  }
  if (resolved == nullptr) state.held.push_back(read);  // else the search keeps it
  state.frames.push_back(IncludeState::Frame{path, folderOf(path), chain, system});
  const std::uint64_t branches = readHeaderLines(*text, chain, system);
  if (reach != SIZE_MAX) state.reachable[reach].branches = branches ^ shape;
  state.frames.pop_back();
}

// A head of the file whose body the header `path` holds: LZO's
// `lzo1x_decompress_dict_safe (...)` / `#include "lzo1x_d.ch"`, whose code opens
// with the body's "{" in the includer's macros. The function is the file's, at its
// name, with the calls of the body there.
void CScanner::includeBody(const std::string& path) {
  // Past this size a header is no body.
  constexpr std::size_t kMostBodyBytes = std::size_t{1} << 20;
  // A head that stands for the file's while the header is scanned: its code is a
  // body when this head's definition is the first, and ends in the header.
  constexpr std::string_view kStandIn = "quenwick_included_body_";
  if (nesting_ > 0 || decl_.empty() || declParens_ != 0 || !blocks_.empty() || !decl_.back().is(Punct::RParen)) {
    return;
  }
  Head head = readFileHead();
  if (head.kind != Head::Function) return;
  std::string bytes;
  if (readWholeFile(path, bytes, kMostBodyBytes) != WholeFile::Read) return;
  auto scanAfter = [&](std::string_view parameters, FileFacts& facts) {
    const std::string text = std::string(kStandIn) + std::string(parameters) + bytes;
    const SourceText source(text, SourceEncoding::Utf8);
    CScanner(source, config_, facts, *this).run();
  };
  FileFacts inner;
  scanAfter(" (void)\n", inner);
  if (inner.definitions.empty() || !inner.balanced()) return;
  FileDefinition& made = inner.definitions.front();
  if (made.kind != DefinitionKind::Function || made.name != kStandIn || made.place.line != 1 ||
      made.end.line == 1) {
    return;
  }
  // Not the body of a head that the header writes itself, which a head's words
  // may run into (`__lzo_static_forceinline unsigned f(lzo_uint32_t v) {`).
  FileFacts alone;
  scanAfter(" (void);\n", alone);
  for (const FileDefinition& other : alone.definitions) {
    if (other.end == made.end) return;
  }
  const Token named = headThroughMacro(head);
  std::string_view compiled = compiledName(named);
  if (isKeyword(compiled)) compiled = named.text;
  made.name = std::string(compiled);
  made.isStatic = head.isStatic;
  addMadeDefinitions(inner, 1, named.place, includes_->at);
  decl_.clear();
  declParens_ = 0;
  alternatives_.clear();
}

// Notes that the file's directives read the header `path`.
void CScanner::meetHeader(const std::string& path) {
  IncludeState& state = *includes_;
  if (state.recorded.insert(path).second) facts_.headers.push_back(path);
}

// Changes a symbol as a header's directive does, noting it for the effects recorded.
void CScanner::setHeaderSymbol(std::string_view name, const MacroState& symbol) {
  IncludeState& state = *includes_;
  const bool inDefaults = !outOfDefault_;
  setSymbol(name, symbol);
  if (state.recording) {
    state.writes.push_back({state.logTexts.keep(name), state.macroReads.size(), state.defaultReads.size(), inDefaults});
  }
}

// Starts recording the run of the header's lines from `start`.
void CScanner::beginRecording(std::uint32_t start) {
  IncludeState& state = *includes_;
  macros_.noteLookups(&state.macroReads, &state.logTexts);
  state.recording = IncludeState::Recording{start, outOfDefault_};
  noteDefaultLookups();
}

void CScanner::separateDefaults() {
  if (!defaultsFollow_) return;
  defaultsFollow_ = false;
  defaults_ = macros_.ownCopy();
  defaults_.setUnlistedUndefined(true);
  if (includes_ && includes_->recording) noteDefaultLookups();
}

// Notes the lookups of the plain build's view while its own table is kept.
void CScanner::noteDefaultLookups() {
  if (!defaultsFollow_) defaults_.noteLookups(&includes_->defaultReads, &includes_->logTexts);
}

// Makes the effect of the run of lines recorded, which ends at `end` (an #include
// or the end), from the logs since it began, when the levels of the header
// around `end` (from `base` on) were all decided: a replay takes them as such.
void CScanner::endRecording(HeaderRun run, std::uint32_t end, std::size_t base) {
  IncludeState& state = *includes_;
  if (!state.recording) return;
  const IncludeState::Recording recording = *state.recording;
  state.recording.reset();
  macros_.noteLookups(nullptr, nullptr);
  defaults_.noteLookups(nullptr, nullptr);
  if (allDecided(base) && outOfDefault_ == recording.outOfDefault) {
    auto effect = std::make_shared<HeaderEffect>();
    effect->outOfDefault = recording.outOfDefault;
    effect->end = end;
    effect->branchNotes = state.branchNotes;
    // A symbol is an input when it was looked up before the run changed it.
    // The sets below live as long as this effect's making: their entries come
    // from one buffer, given back at once.
    std::pmr::monotonic_buffer_resource memory;
    std::pmr::unordered_map<std::string_view, const IncludeState::Write*> firstWrite(&memory);
    for (const IncludeState::Write& write : state.writes) firstWrite.emplace(write.name, &write);
    auto inputsOf = [&](const HeaderEffect::Lookups& reads, bool defaults, HeaderEffect::Lookups& inputs) {
      std::pmr::unordered_set<std::string_view> seen(&memory);
      for (std::size_t i = 0; i < reads.size(); ++i) {
        if (!seen.insert(reads[i].first).second) continue;
        auto write = firstWrite.find(reads[i].first);
        const std::size_t before = write == firstWrite.end() ? SIZE_MAX
                                   : defaults                ? write->second->defaultReads
                                                             : write->second->macroReads;
        if (i < before) inputs.emplace_back(effect->texts.keep(reads[i].first), reads[i].second);
      }
    };
    inputsOf(state.macroReads, false, effect->inputs);
    inputsOf(state.defaultReads, true, effect->defaultInputs);
    std::pmr::unordered_map<std::string_view, std::size_t> changed(&memory);  // position in the changes
    effect->changes.reserve(firstWrite.size());
    for (const IncludeState::Write& write : state.writes) {
      auto [at, isNew] = changed.try_emplace(write.name, effect->changes.size());
      if (isNew) {
        effect->changes.emplace_back();
        effect->changes.back().name = effect->texts.keep(write.name);
      }
      if (write.inDefaults) effect->changes[at->second].inDefaults = true;
    }
    for (HeaderEffect::Change& change : effect->changes) {
      // Copies of the texts: the effect outlives the file that recorded it.
      change.state = effect->texts.keep(macros_.find(change.name));
      if (change.inDefaults) {
        const MacroState& byDefault = plainView().find(change.name);
        if (!byDefault.sameAs(change.state)) {
          change.byDefault = static_cast<std::uint32_t>(effect->defaultStates.size());
          effect->defaultStates.push_back(effect->texts.keep(byDefault));
        }
      }
      if (!change.inDefaults || change.byDefault != HeaderEffect::kSame) effect->plainFollows = false;
    }
    run.line = recording.start;
    config_.build->effects->add(run, std::move(effect), includes_->generation);
  }
  state.macroReads.clear();
  state.defaultReads.clear();
  state.logTexts.clear();
  state.writes.clear();
  state.branchNotes.clear();
}

// True when the levels of the conditionals from `base` on were all decided.
bool CScanner::allDecided(std::size_t base) const {
  for (std::size_t i = base; i < conditionals_.size(); ++i) {
    if (conditionals_[i].maybeTaken || conditionals_[i].anyUndecided) return false;
  }
  return true;
}

// Gives the file the effect of the header's run of lines that another reading in
// the database's builds had, when everything that reading depended on is the same here;
// null when none matches. `worthRecording` tells whether a reading of the run now
// is to make one, `first` whether none asked for it before.
const HeaderEffect* CScanner::replayEffect(const HeaderRun& run, bool& worthRecording, bool& first) {
  IncludeState& state = *includes_;
  worthRecording = false;
  first = false;
  std::size_t known = 0;
  const std::vector<std::shared_ptr<const HeaderEffect>> effects = config_.build->effects->find(
      run, state.generation, [this](std::string_view name) { return digestOf(macros_.find(name)); }, first,
      known);
  // A run read once in a build may be read once only: its effect is made when
  // it is read again.
  worthRecording = !first && known < HeaderEffects::kMostEffects;
  for (const std::shared_ptr<const HeaderEffect>& effect : effects) {
    if (effect->outOfDefault != outOfDefault_) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < effect->defaultInputs.size(); ++i) {
      same = digestOf(plainView().find(effect->defaultInputs[i].first)) == effect->defaultInputs[i].second;
    }
    if (!same) continue;
    // An effect that changes the views apart parts them first.
    if (outOfDefault_ || !effect->plainFollows) separateDefaults();
    for (const HeaderEffect::Change& change : effect->changes) {
      for (Conditional& level : conditionals_) {
        if (level.maybeTaken && level.touchedAt.count(change.name) == 0) {
          level.touchedAt.emplace(change.name, level.touched.size());
          level.touched.push_back(Touched{change.name, macros_.find(change.name), {}});
        }
      }
      // The effect outlives the tables: `effectsUsed` keeps it.
      macros_.setShared(change.name, &change.state);
      const bool inDefaults = change.inDefaults && !outOfDefault_;
      if (inDefaults && !defaultsFollow_) {
        defaults_.setShared(change.name, change.byDefault == HeaderEffect::kSame
                                             ? &change.state
                                             : &effect->defaultStates[change.byDefault]);
      }
    }
    state.effectsUsed.push_back(effect);
    return effect.get();
  }
  return nullptr;
}

// Puts back the levels of the header's conditionals that `line` (an #include)
// lies within, each in the branch that holds it, decided: where a replayed run
// of lines stopped.
void CScanner::reopenHeaderLevels(const HeaderText& text, const HeaderLine& line) {
  for (const auto& [opening, branch] : line.within) {
    const HeaderLine& open = text.lines[opening];
    Conditional& level = conditionals_.emplace_back();
    level.place = open.place;
    level.restores = false;
    if (open.kind != HeaderLine::If) {
      level.guardName = open.name;
      level.guardDefined = open.kind == HeaderLine::Ifdef;
    }
    level.hasElse = text.lines[branch].kind == HeaderLine::Else;
    enterBranch(level, Truth::True, true);
  }
}

// Carries out the directives of a header, from the first line or from an
// effect's end, in runs that end where the reading follows an #include: each run
// is replayed when another reading of it in the database depended on what holds
// here, and else read (and recorded). Its conditionals go on the scan's own
// stack, so a symbol it changes in an undecided branch is merged as the file's own
// are, and a header included in an undecided branch of the file changes what that
// branch changes. Returns a digest of the branches read.
std::uint64_t CScanner::readHeaderLines(const HeaderText& text, int chain, bool system) {
  const std::size_t base = conditionals_.size();
  const std::vector<HeaderLine>& lines = text.lines;
  const auto size = static_cast<std::uint32_t>(lines.size());
  std::uint64_t branches = 0xcbf29ce484222325;
  HeaderRun run{&text, system, 0, nullptr, -1};
  if (text.asksHeaders) {
    run.folders = config_.build.get();
    run.chain = chain;
  }
  bool stacked = true;  // the stack holds the header's levels at line `run.line`
  bool inRuns = config_.build->effects != nullptr;  // false once an #include was followed in an undecided level
  while (run.line < size) {
    bool worthRecording = false;
    bool first = false;
    if (inRuns && !text.shortRuns[run.line].load(std::memory_order_relaxed)) {
      if (const HeaderEffect* effect = replayEffect(run, worthRecording, first)) {
        for (std::uint32_t note : effect->branchNotes) branches = (branches ^ note) * 0x100000001b3;
        stacked = false;
        if (effect->end >= size) break;
        followHeaderInclude(text, lines[effect->end]);
        run.line = effect->end + 1;
        continue;
      }
    }
    if (!stacked) {
      while (conditionals_.size() > base) closeHeaderConditional();
      if (run.line > 0) reopenHeaderLevels(text, lines[run.line - 1]);
      stacked = true;
    }
    if (worthRecording) beginRecording(run.line);
    std::uint32_t read = 0;
    const std::uint32_t stop = readHeaderRun(text, run.line, base, branches, read);
    if (first && read < kLinesWorthAnEffect) {
      config_.build->effects->markShort(run, includes_->generation);
      text.shortRuns[run.line].store(true, std::memory_order_relaxed);
    }
    endRecording(run, stop, base);
    if (stop >= size) break;
    if (!allDecided(base)) inRuns = false;
    followHeaderInclude(text, lines[stop]);
    run.line = stop + 1;
  }
  // The levels a replay left, or that the header left open.
  while (conditionals_.size() > base) closeHeaderConditional();
  return branches;
}

// Reads a header's directives from line `i` up to the first #include to follow
// (its line is returned) or to the end (the number of lines), counting in `read`
// the lines it took.
std::uint32_t CScanner::readHeaderRun(const HeaderText& text, std::uint32_t i, std::size_t base,
                                      std::uint64_t& branches, std::uint32_t& read) {
  IncludeState& state = *includes_;
  const std::vector<HeaderLine>& lines = text.lines;
  const auto size = static_cast<std::uint32_t>(lines.size());
  // Which lines open a branch that is read, and whether it is.
  auto noteBranch = [&](std::uint32_t line) {
    const std::uint32_t note = line * 2 + (conditionals_.back().scanning ? 1 : 0);
    branches = (branches ^ note) * 0x100000001b3;
    if (state.recording) state.branchNotes.push_back(note);
  };
  while (i < size) {
    const HeaderLine& line = lines[i];
    ++read;
    switch (line.kind) {
      case HeaderLine::Define:
        if (includes_->frames.back().system) {
          MacroState symbol = line.macro;
          symbol.fromSystem = true;
          setHeaderSymbol(line.name, symbol);
        } else {
          setHeaderSymbol(line.name, line.macro);
        }
        break;
      case HeaderLine::Undef: {
        MacroState undefined;
        undefined.kind = MacroState::Undefined;
        setHeaderSymbol(line.name, undefined);
        break;
      }
      case HeaderLine::If:
      case HeaderLine::Ifdef:
      case HeaderLine::Ifndef:
        openHeaderConditional(line, i == 0 && !text.guard.empty());
        noteBranch(i);
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
        noteBranch(i);
        if (!conditionals_.back().scanning) {
          i = line.next;
          continue;
        }
        break;
      case HeaderLine::Endif:
        if (conditionals_.size() > base) closeHeaderConditional();
        break;
      case HeaderLine::Include:
      case HeaderLine::IncludeNext:
        return i;
    }
    ++i;
  }
  return size;
}

// Follows a header's #include line.
void CScanner::followHeaderInclude(const HeaderText& text, const HeaderLine& line) {
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
}

// The value of a header's #if, #ifdef, #elif... line; `byDefault` is its value in
// a plain build when the symbols do not decide it.
Truth CScanner::headerTruth(const HeaderLine& line, bool& byDefault) {
  Truth truth;
  if (line.kind == HeaderLine::If || line.kind == HeaderLine::Elif) {
    std::vector<PpToken> settled;
    if (line.hasInclude) {
      settled = line.tokens;
      settleHasInclude(settled);
    }
    const std::vector<PpToken>& tokens = line.hasInclude ? settled : line.tokens;
    truth = evaluateCondition(tokens, macros_);
    if (truth == Truth::Unknown) separateDefaults();  // the views part here
    byDefault = truth == Truth::True || (truth == Truth::Unknown && evaluateByDefault(tokens, defaults_));
    return truth;
  }
  const bool wantDefined = line.kind == HeaderLine::Ifdef || line.kind == HeaderLine::Elifdef;
  const MacroState::Kind kind = macros_.find(line.name).kind;
  truth = kind == MacroState::Unknown                       ? Truth::Unknown
          : (kind == MacroState::Defined) == wantDefined ? Truth::True
                                                          : Truth::False;
  if (truth == Truth::Unknown) separateDefaults();  // the views part here
  byDefault = truth == Truth::True ||
              (truth == Truth::Unknown &&
               (defaults_.find(line.name).kind == MacroState::Defined) == wantDefined);
  return truth;
}

// `ownGuard`: the line is the `#ifndef` of the header's guard.
void CScanner::openHeaderConditional(const HeaderLine& line, bool ownGuard) {
  bool byDefault = false;
  Truth truth = headerTruth(line, byDefault);
  if (truth == Truth::Unknown && ownGuard) {
    // A guard left unknown (after a header not found, which may define anything)
    // is taken as not defined: a header that defined it would have read this one
    // already, to the same effect as reading it now. Left undecided, each header
    // would be a branch, every symbol it defines unknown after it, and each header
    // within it a level deeper.
    truth = Truth::True;
    byDefault = true;
  }
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
  endBranch(level, false);
  if (line.kind == HeaderLine::Else) level.hasElse = true;
  enterBranch(level, truth, byDefault);
}

void CScanner::closeHeaderConditional() {
  Conditional& level = conditionals_.back();
  endBranch(level, true);
  if (level.anyUndecided) mergeTouched(level);
  if (!level.byDefault) --outOfDefaultLevels_;
  conditionals_.pop_back();
  updateDefault();
}

// True for the first #ifdef or #ifndef of a header scanned as a file when it is
// the `#ifndef` of its guard.
bool CScanner::isOwnGuard(std::string_view name, bool ifdef) {
  IncludeState& state = *includes_;
  if (state.ownGuard.empty()) return false;
  const bool own = !ifdef && name == state.ownGuard;
  state.ownGuard = {};
  return own;
}

// Scans a header as a file of its own, with the symbols this file has at its
// #include, when no file before this one in the run did so.
void CScanner::scanHeaderAsFile(const HeaderText& text, int chain) {
  ReachedHeaders& reached = *config_.reached;
  // Scanned again, a header is scanned wherever the file's own directives reach
  // it, and not from within another header's scan, which may include it too.
  if (includes_->outer != nullptr && reached.scanningAgain()) return;
  if (!reached.claim(text.path, scanRank())) return;
  // Read again rather than kept since its directives were read: from the system's
  // cache, into memory that the next file's reading takes over.
  std::string bytes;
  if (readWholeFile(text.path, bytes, kMaxCSourceSize) != WholeFile::Read || holdsNul(bytes)) return;
  FileFacts facts;
  facts.path = reached.shown(text.path);
  facts.read = true;
  const SourceEncoding encoding = detectEncoding(bytes);
  const SourceText source(std::move(bytes), encoding);
  facts.encoding = source.encoding();
  CScanner inner(source, config_, facts);
  inner.includes_ = std::make_shared<IncludeState>();
  inner.includes_->outer = this;
  inner.includes_->includer = includes_->includer;
  inner.includes_->frames.push_back(IncludeState::Frame{text.path, folderOf(text.path), chain, false});
  inner.includes_->ownGuard = text.guard;
  inner.run();
  reached.store(text.path, scanRank(), includes_->includer, std::move(facts));
}

// Tells the run which project headers the file's directives met, and how each
// read: a header that files read otherwise is scanned again for them.
void CScanner::noteReaches() {
  if (!includes_ || includes_->outer != nullptr || config_.reached == nullptr) return;
  const IncludeState& state = *includes_;
  if (!state.node) return config_.reached->noteReaches(state.reachable, scanRank());
  // The steps' headers, then the rest (which may repeat the last step's).
  std::vector<HeaderReach> reaches = state.node->reachable;
  reaches.insert(reaches.end(), state.reachable.begin(), state.reachable.end());
  config_.reached->noteReaches(reaches, scanRank());
}

// A header that is not found: what it would define is not known, so from here on a
// symbol that nothing defines is unknown, as it is without a build.
void CScanner::noteMissingHeader(const std::string& name) {
  IncludeState& state = *includes_;
  if (state.missing.insert(name).second) {
    facts_.missingHeaders.push_back(name);
    facts_.problems.push_back({ScanProblem::HeaderMissing, state.at, name});
  }
  separateDefaults();  // a plain build still has the names nobody lists undefined
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

// True while all the file did is a run of steps that files of its build share:
// no undecided conditional of its own, nothing inside a header.
bool CScanner::onFirstSteps() {
  IncludeState& state = *includes_;

  if (!state.onSteps || state.frames.size() != 1) return false;
  for (std::size_t i = state.problemsSeen; i < facts_.problems.size(); ++i) {
    if (facts_.problems[i].kind == ScanProblem::Undecided) state.onSteps = false;
  }
  state.problemsSeen = facts_.problems.size();
  for (const Conditional& level : conditionals_) {
    if (level.maybeTaken) state.onSteps = false;
  }
  if (outOfDefault_ || state.steps >= kMostSteps) state.onSteps = false;
  return state.onSteps;
}

// A #define or #undef of the file while on its first steps: true when it was taken
// as a shared step (`setSymbol` then has nothing left to do).
bool CScanner::takeSymbolStep(std::string_view name, const MacroState& state) {
  if (!onFirstSteps()) return false;
  IncludeState& include = *includes_;
  if (++include.symbolSteps > kMostSymbolSteps) {
    include.onSteps = false;
    return false;
  }
  const std::string step = stateKey(name, state);
  std::shared_ptr<const PrefixNode> next = include.tree->find(include.node.get(), step, include.generation);
  if (!next) {
    macros_.set(name, state);
    if (!defaultsFollow_) defaults_.set(name, state);
    next = include.tree->add(include.node.get(), step, stepNode(false), include.generation);
    include.onSteps = false;
  }
  adoptStep(std::move(next));
  return true;
}

// A header included by the file while on its first steps: true when it was
// taken as a shared step, read by this scan or by another before.
bool CScanner::takeIncludeStep(const std::string& path, int chain, bool system) {
  if (!onFirstSteps()) return false;
  IncludeState& state = *includes_;
  const std::string step = "i" + std::to_string(chain) + (system ? "s" : "p") + path;
  std::shared_ptr<const PrefixNode> next = state.tree->find(state.node.get(), step, state.generation);
  if (next && config_.reached != nullptr) {
    // A project header that this file is the first to reach is scanned by it.
    for (std::size_t i = state.node->reachable.size(); i < next->reachable.size(); ++i) {
      if (config_.reached->wouldClaim(next->reachable[i].path, scanRank())) next = nullptr;
      if (!next) break;
    }
  }
  if (!next) {
    state.reachable.clear();
    state.stepping = true;
    includeHeader(path, chain, system);
    state.stepping = false;
    next = state.tree->add(state.node.get(), step, stepNode(false), state.generation);
    // No file took this step before: the file goes on alone, as the next ones
    // that begin as it does may still share the step.
    state.onSteps = false;
  }
  adoptStep(std::move(next));
  return true;
}

// The node of the step just read: the scan's own tables (which hold what the step
// changed) on top of the node before, or one table holding all of them.
std::shared_ptr<const PrefixNode> CScanner::stepNode(bool wholeCopy) {
  IncludeState& state = *includes_;
  auto node = std::make_shared<PrefixNode>();
  node->parent = state.node;
  node->unlistedUnknown = macros_.unlisted().kind == MacroState::Unknown;
  node->depth = state.node->depth + 1;
  if (wholeCopy || node->depth >= kStepDepth) {
    const MacroTable* base = config_.build->predefined.get();
    node->macros = std::make_shared<MacroTable>(macros_.flattened(base));
    node->defaults = defaultsFollow_ ? node->macros : std::make_shared<MacroTable>(defaults_.flattened(base));
    node->depth = 0;
  } else {
    // What the step changed, copied: the node outlives this file's text.
    node->macros = std::make_shared<MacroTable>(macros_.flattened(state.node->macros.get()));
    node->defaults = defaultsFollow_ ? node->macros
                                     : std::make_shared<MacroTable>(defaults_.flattened(state.node->defaults.get()));
  }
  node->headers = facts_.headers;
  node->missing = facts_.missingHeaders;
  node->once.assign(state.once.begin(), state.once.end());
  node->reachable = state.node->reachable;
  node->reachable.insert(node->reachable.end(), state.reachable.begin(), state.reachable.end());
  return node;
}

// Goes on from `node`: its tables become the base of the scan's own, empty ones.
void CScanner::adoptStep(std::shared_ptr<const PrefixNode> node) {
  IncludeState& state = *includes_;
  macros_ = MacroTable(node->macros.get());
  macros_.setUnlistedUndefined(!node->unlistedUnknown);
  macros_.watchLookups(watch_);
  // A step whose views had parted leaves them apart.
  if (node->defaults != node->macros) defaultsFollow_ = false;
  if (!defaultsFollow_) {
    defaults_ = MacroTable(node->defaults.get());
    defaults_.setUnlistedUndefined(true);
    defaults_.watchLookups(watch_);
  }
  for (std::size_t i = facts_.headers.size(); i < node->headers.size(); ++i) {
    state.recorded.insert(node->headers[i]);
    facts_.headers.push_back(node->headers[i]);
  }
  for (const std::string& name : node->missing) {
    if (state.missing.insert(name).second) {
      facts_.missingHeaders.push_back(name);
      facts_.problems.push_back({ScanProblem::HeaderMissing, state.at, name});
    }
  }
  state.once.insert(node->once.begin(), node->once.end());
  state.node = std::move(node);
  ++state.steps;
}

}  // namespace quenwick
