// Headers read for their directives: each read and made ready once, shared by
// the scans of a run; and the headers that listed files reach, scanned as files.
#include <algorithm>
#include <limits>
#include <set>

#include "cscan/c_build.h"
#include "cscan/c_lexer.h"
#include "cscan/c_scan.h"
#include "cscan/c_source.h"
#include "platform/file_path.h"
#include "platform/text_input.h"
#include "platform/workers.h"

namespace quenwick {

namespace {

constexpr std::size_t kLeftOut = std::numeric_limits<std::size_t>::max();

bool isName(const Token& token) {
  return token.kind == TokenKind::Identifier;
}

// The name of an `#include <...>` from its "<" on: the bytes up to ">" on the line.
std::string angledName(const Token& less) {
  const char* p = less.text.data();
  std::string name;
  while (*p != '\0' && *p != '\n') {
    name += *p;
    if (*p == '>' && name.size() > 1) return name;
    ++p;
  }
  return std::string();
}

// The state a #define gives its symbol, read from the lexer just after its name,
// with its texts kept in `texts`. Only the parameters are read as tokens.
MacroState macroOf(CLexer& lexer, TextArena& texts) {
  MacroState state;
  state.kind = MacroState::Defined;
  if (lexer.atByte('(')) {
    state.functionLike = true;
    Token before = lexer.nextInDirective();  // the "("
    for (;;) {
      const Token token = lexer.nextInDirective();
      if (token.kind == TokenKind::LineEnd) return state;  // no ")": no replacement
      if (token.is(Punct::RParen)) break;
      if (isName(token)) state.params.push_back(texts.keep(token.text));
      if (token.is(Punct::Ellipsis)) {
        // `...` is __VA_ARGS__; GNU's `args...` names the variadic parameter itself.
        state.variadic = true;
        if (!isName(before)) state.params.emplace_back("__VA_ARGS__");
      }
      before = token;
    }
  }
  const std::string_view body = lexer.restOfDirective();
  if (!body.empty()) state.body = texts.keep(body);
  return state;
}

// Reads the directives of `source` into `text`.
void readLines(const SourceText& source, HeaderText& text) {
  std::vector<ScanProblem> problems;  // a header's own problems are not the includer's
  CLexer lexer(source, problems);
  std::vector<Token> tokens;
  while (lexer.skipToDirective()) {
    const Token word = lexer.nextInDirective();
    if (!isName(word)) {
      if (word.kind != TokenKind::LineEnd) lexer.skipDirectiveLine();
      continue;
    }
    const std::string_view w = word.text;
    HeaderLine line;
    line.place = word.place;
    if (w == "define") line.kind = HeaderLine::Define;
    else if (w == "undef") line.kind = HeaderLine::Undef;
    else if (w == "if") line.kind = HeaderLine::If;
    else if (w == "ifdef") line.kind = HeaderLine::Ifdef;
    else if (w == "ifndef") line.kind = HeaderLine::Ifndef;
    else if (w == "elif") line.kind = HeaderLine::Elif;
    else if (w == "elifdef") line.kind = HeaderLine::Elifdef;
    else if (w == "elifndef") line.kind = HeaderLine::Elifndef;
    else if (w == "else") line.kind = HeaderLine::Else;
    else if (w == "endif") line.kind = HeaderLine::Endif;
    else if (w == "include" || w == "import") line.kind = HeaderLine::Include;
    else if (w == "include_next") line.kind = HeaderLine::IncludeNext;
    else if (w == "pragma") {
      const Token what = lexer.nextInDirective();
      if (isName(what) && what.text == "once") text.pragmaOnce = true;
      if (what.kind != TokenKind::LineEnd) lexer.skipDirectiveLine();
      continue;
    } else {
      lexer.skipDirectiveLine();  // error, warning, line, ident and the unknown ones
      continue;
    }
    if (line.kind == HeaderLine::Define) {
      const Token name = lexer.nextInDirective();
      if (!isName(name)) {
        for (Token rest = name; rest.kind != TokenKind::LineEnd;) rest = lexer.nextInDirective();
        continue;
      }
      line.name = text.texts.keep(name.text);
      line.macro = macroOf(lexer, text.texts);
      text.lines.push_back(std::move(line));
      continue;
    }
    tokens.clear();
    for (;;) {
      const Token token = lexer.nextInDirective();
      if (token.kind == TokenKind::LineEnd) break;
      tokens.push_back(token);
    }
    switch (line.kind) {
      case HeaderLine::Define:
        break;  // read above
      case HeaderLine::Undef:
      case HeaderLine::Ifdef:
      case HeaderLine::Ifndef:
      case HeaderLine::Elifdef:
      case HeaderLine::Elifndef:
        if (!tokens.empty() && isName(tokens[0])) line.name = text.texts.keep(tokens[0].text);
        if (line.kind == HeaderLine::Undef && line.name.empty()) continue;
        break;
      case HeaderLine::Include:
      case HeaderLine::IncludeNext:
        if (!tokens.empty() && tokens[0].kind == TokenKind::String && tokens[0].text.front() == '"') {
          line.header = std::string(tokens[0].text);
        } else if (!tokens.empty() && tokens[0].is(Punct::Less)) {
          line.header = angledName(tokens[0]);
        }
        if (line.header.empty()) {
          for (const Token& token : tokens) line.tokens.push_back(ppTokenOf(token));
        }
        break;
      case HeaderLine::If:
      case HeaderLine::Elif:
        for (const Token& token : tokens) {
          line.tokens.push_back(ppTokenOf(token));
          line.hasInclude = line.hasInclude || token.text == "__has_include" || token.text == "__has_include_next";
        }
        text.asksHeaders = text.asksHeaders || line.hasInclude;
        break;
      case HeaderLine::Else:
      case HeaderLine::Endif:
        break;
    }
    text.lines.push_back(std::move(line));
  }
}

// The names that the code and the directives of a header without a guard use,
// when its code holds braces.
void readCodeNames(const SourceText& source, HeaderText& text) {
  std::vector<ScanProblem> problems;
  CLexer lexer(source, problems);
  std::set<std::string_view> names;
  bool braces = false;
  for (;;) {
    const Token token = lexer.next();
    if (token.kind == TokenKind::End) break;
    if (token.kind == TokenKind::Directive) {
      // The names its directives use too: `#define LZO_COMPRESS
      // LZO_PP_ECONCAT3(lzo1b_, COMPRESS_ID, _compress)` names each function after
      // the includer's COMPRESS_ID.
      Token word = lexer.nextInDirective();
      for (Token next = word; next.kind != TokenKind::LineEnd && next.kind != TokenKind::End;
           next = lexer.nextInDirective()) {
        if (isName(next) && next.text.data() != word.text.data()) names.insert(next.text);
      }
    } else if (isName(token)) {
      names.insert(token.text);
    } else if (token.is(Punct::LBrace)) {
      braces = true;
    }
  }
  if (!braces) return;
  for (std::string_view name : names) text.codeNames.push_back(text.texts.keep(name));
}

// Links each conditional line to the next line of its level, notes the levels
// around each #include, and finds a guard.
void linkConditionals(HeaderText& text) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> open;  // each open level's #if... line and last branch
  const auto size = static_cast<std::uint32_t>(text.lines.size());
  for (std::uint32_t i = 0; i < size; ++i) {
    HeaderLine& line = text.lines[i];
    line.next = size;
    switch (line.kind) {
      case HeaderLine::If:
      case HeaderLine::Ifdef:
      case HeaderLine::Ifndef:
        open.emplace_back(i, i);
        break;
      case HeaderLine::Elif:
      case HeaderLine::Elifdef:
      case HeaderLine::Elifndef:
      case HeaderLine::Else:
        if (!open.empty()) {
          text.lines[open.back().second].next = i;
          open.back().second = i;
        }
        break;
      case HeaderLine::Endif:
        if (!open.empty()) {
          text.lines[open.back().second].next = i;
          open.pop_back();
        }
        break;
      case HeaderLine::Include:
      case HeaderLine::IncludeNext:
        line.within = open;
        break;
      default:
        break;
    }
  }
  // `#ifndef G` / `#define G` ... `#endif` around every other directive.
  if (size >= 3 && text.lines[0].kind == HeaderLine::Ifndef && !text.lines[0].name.empty() &&
      text.lines[0].next == size - 1 && text.lines[1].kind == HeaderLine::Define &&
      text.lines[1].name == text.lines[0].name) {
    text.guard = std::string(text.lines[0].name);
  }
}

}  // namespace

std::shared_ptr<const HeaderText> readHeaderText(std::string path, std::string bytes) {
  auto text = std::make_shared<HeaderText>();
  text->path = std::move(path);
  if (holdsNul(bytes)) return nullptr;
  {
    const SourceEncoding encoding = detectEncoding(bytes);
    const SourceText source(std::move(bytes), encoding);
    readLines(source, *text);
    linkConditionals(*text);
    text->shortRuns = std::vector<std::atomic<bool>>(text->lines.size() + 1);
    if (text->guard.empty() && !text->pragmaOnce) readCodeNames(source, *text);
  }
  return text;
}

std::shared_ptr<const HeaderText> HeaderCache::get(const std::string& path) {
  {
    LockHeld held(lock_);
    auto found = texts_.find(path);
    if (found != texts_.end()) return found->second;
  }
  // Read without the lock: another thread may read the same header meanwhile, and
  // the first to finish is kept.
  std::string bytes;
  std::shared_ptr<const HeaderText> text;
  if (readWholeFile(path, bytes, kMaxCSourceSize) == WholeFile::Read) {
    text = readHeaderText(path, std::move(bytes));
  }
  LockHeld held(lock_);
  return texts_.emplace(path, std::move(text)).first->second;
}

bool HeaderCache::exists(const std::string& path) {
  {
    LockHeld held(lock_);
    auto found = exists_.find(path);
    if (found != exists_.end()) return found->second;
  }
  const bool regular = isRegularFile(path);
  LockHeld held(lock_);
  exists_.emplace(path, regular);
  return regular;
}

std::string HeaderCache::resolvedFolder(const std::string& path) {
  {
    LockHeld held(lock_);
    auto found = folders_.find(path);
    if (found != folders_.end()) return found->second;
  }
  std::string resolved = resolvedPath(path);
  LockHeld held(lock_);
  return folders_.emplace(path, std::move(resolved)).first->second;
}

void HeaderCache::forget(const std::string& path) {
  LockHeld held(lock_);
  // What was never asked of leaves everything built so far as it is.
  const std::size_t erased = texts_.erase(path) + exists_.erase(path);
  if (erased > 0) ++generation_;
}

std::uint64_t HeaderCache::generation() {
  LockHeld held(lock_);
  return generation_;
}

void HeaderCache::clear() {
  LockHeld held(lock_);
  texts_.clear();
  exists_.clear();
  folders_.clear();
  ++generation_;
}

void ReachedHeaders::exclude(const std::string& path) {
  LockHeld held(lock_);
  headers_[path].rank = {kLeftOut, 0};
}

void ReachedHeaders::excludeListed(const std::string& path, const std::string& shown) {
  LockHeld held(lock_);
  headers_[path].rank = {kLeftOut, 0};
  listedNames_[path] = shown;
}

std::vector<std::pair<std::string, std::string>> ReachedHeaders::reachedListed() const {
  LockHeld held(lock_);
  std::vector<std::pair<std::string, std::string>> reached;
  for (const auto& [path, shown] : listedNames_) {
    if (reaches_.count(path) != 0) reached.emplace_back(path, shown);
  }
  std::sort(reached.begin(), reached.end());
  return reached;
}

void ReachedHeaders::setListedDefinitions(const std::string& path,
                                          std::set<std::pair<std::string, DefinitionKind>> defined) {
  LockHeld held(lock_);
  listedDefinitions_[path] = std::move(defined);
}

std::vector<const ReachedHeader*> ReachedHeaders::listedAgain() const {
  LockHeld held(lock_);
  std::vector<const ReachedHeader*> again;
  for (const auto& [path, header] : headers_) {
    if (header.rank.first == kLeftOut && header.facts.read && !header.facts.definitions.empty()) {
      again.push_back(&header);
    }
  }
  std::sort(again.begin(), again.end(),
            [](const ReachedHeader* a, const ReachedHeader* b) { return a->path < b->path; });
  return again;
}

bool ReachedHeaders::claim(const std::string& path, ScanRank rank) {
  LockHeld held(lock_);
  if (scanningAgain_) return planned_.count({rank, path}) != 0;
  auto [at, isNew] = headers_.try_emplace(path);
  if (!isNew && (at->second.rank.first == kLeftOut || at->second.rank <= rank)) return false;
  at->second.path = path;
  at->second.rank = rank;
  at->second.facts = FileFacts();
  return true;
}

void ReachedHeaders::store(const std::string& path, ScanRank rank, std::string includer,
                           FileFacts facts) {
  LockHeld held(lock_);
  auto found = headers_.find(path);
  if (found == headers_.end()) return;
  if (scanningAgain_) {
    found->second.again.push_back({rank, std::move(includer), std::move(facts)});
  } else if (found->second.rank == rank) {
    found->second.includer = std::move(includer);
    found->second.facts = std::move(facts);
  }
}

bool ReachedHeaders::wouldClaim(const std::string& path, ScanRank rank) const {
  LockHeld held(lock_);
  if (scanningAgain_) return planned_.count({rank, path}) != 0;
  auto found = headers_.find(path);
  return found == headers_.end() || (found->second.rank.first != kLeftOut && found->second.rank > rank);
}

void ReachedHeaders::noteReaches(const std::vector<HeaderReach>& reaches, ScanRank rank) {
  LockHeld held(lock_);
  if (scanningAgain_) return;
  for (std::size_t i = 0; i < reaches.size(); ++i) {
    const HeaderReach& reach = reaches[i];
    auto [at, isNew] = reaches_[reach.path].try_emplace(reach.branches, FirstReach{rank, i});
    if (!isNew && std::make_pair(rank, i) < std::make_pair(at->second.rank, at->second.order)) {
      at->second = FirstReach{rank, i};
    }
    if (rank.second > 0) variantReaches_[reach.path].insert(rank);
    if (reach.template_) templates_.insert(reach.path);
  }
  auto first = rank.second == 0 ? firstReaches_.find(rank.first) : firstReaches_.end();
  if (first != firstReaches_.end()) {
    first->second.clear();
    for (const HeaderReach& reach : reaches) first->second.push_back(reach.path);
  }
}

void ReachedHeaders::keepFirstReaches(std::size_t file) {
  LockHeld held(lock_);
  firstReaches_.try_emplace(file);
}

void ReachedHeaders::noteReachesAlike(ScanRank variant) {
  LockHeld held(lock_);
  if (scanningAgain_) return;
  auto first = firstReaches_.find(variant.first);
  if (first == firstReaches_.end()) return;
  for (const std::string& path : first->second) variantReaches_[path].insert(variant);
}

std::vector<ScanRank> ReachedHeaders::planAgain() {
  // The configurations that would read each header otherwise than its scan did.
  struct Candidate {
    std::string path;                                      // the header
    std::set<std::string_view> known;                      // the functions its scans found
    std::set<ScanRank> ranks;                              // the configurations to scan it
  };
  std::vector<Candidate> candidates;
  {
    LockHeld held(lock_);
    scanningAgain_ = true;
    for (const auto& [path, byBranches] : reaches_) {
      auto header = headers_.find(path);
      if (header == headers_.end()) continue;
      Candidate candidate{path, {}, {}};
      if (header->second.rank.first == kLeftOut) {
        // A listed file is scanned as its own; each way of reading it elsewhere,
        // by the first configuration that read it so.
        auto defined = listedDefinitions_.find(path);
        if (defined == listedDefinitions_.end()) continue;
        for (const auto& [name, kind] : defined->second) {
          if (kind == DefinitionKind::Function) candidate.known.insert(name);
        }
        for (const auto& [branches, reach] : byBranches) candidate.ranks.insert(reach.rank);
      } else {
        if (!header->second.facts.read) continue;
        for (const FileDefinition& definition : header->second.facts.definitions) {
          if (definition.kind == DefinitionKind::Function) candidate.known.insert(definition.name);
        }
        const ScanRank holder = header->second.rank;
        // The holder's first reach is the scan made; every other way of reading the
        // header is scanned by the first configuration that read it so.
        std::size_t first = SIZE_MAX;
        for (const auto& [branches, reach] : byBranches) {
          if (reach.rank == holder) first = std::min(first, reach.order);
        }
        for (const auto& [branches, reach] : byBranches) {
          if (reach.rank != holder || reach.order != first) candidate.ranks.insert(reach.rank);
        }
        // The holder's file compiled otherwise may name the same code otherwise.
        auto variants = variantReaches_.find(path);
        if (variants != variantReaches_.end()) {
          for (const ScanRank& rank : variants->second) {
            if (rank.first == holder.first && rank != holder) candidate.ranks.insert(rank);
          }
        }
      }
      if (!candidate.ranks.empty()) candidates.push_back(std::move(candidate));
    }
  }
  // Only a header whose branches hold functions its scan did not find is worth
  // scanning again: what every branch defines tells (the headers scanned so on
  // the machine's threads).
  std::vector<char> worth(candidates.size(), 0);
  constexpr std::size_t kWaitingPerThread = 8;  // scans done ahead of their turn
  const unsigned threads = workerCount();
  runInOrder(
      candidates.size(), threads, threads * kWaitingPerThread,
      [&](std::size_t i) {
        const Candidate& candidate = candidates[i];
        const FileFacts everyBranch = scanCFile(candidate.path, CScanConfig{});
        for (const FileDefinition& definition : everyBranch.definitions) {
          if (definition.kind == DefinitionKind::Function && candidate.known.count(definition.name) == 0) {
            worth[i] = 1;
          }
        }
      },
      [](std::size_t) {});
  std::set<ScanRank> all;
  std::set<std::pair<ScanRank, std::string>> planned;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const Candidate& candidate = candidates[i];
    // A template's functions are the includer's macros' making: no scan of its
    // own finds them.
    if (worth[i] == 0 && templates_.count(candidate.path) == 0) continue;
    for (const ScanRank& rank : candidate.ranks) {
      planned.emplace(rank, candidate.path);
      all.insert(rank);
    }
  }
  LockHeld held(lock_);
  planned_ = std::move(planned);
  return {all.begin(), all.end()};
}

bool ReachedHeaders::scanningAgain() const {
  LockHeld held(lock_);
  return scanningAgain_;
}

void ReachedHeaders::mergeAgain() {
  LockHeld held(lock_);
  for (auto& [path, header] : headers_) {
    // Each configuration scans in one thread: its scans keep their order.
    std::stable_sort(header.again.begin(), header.again.end(),
                     [](const ReachedHeader::Again& a, const ReachedHeader::Again& b) { return a.rank < b.rank; });
    auto listed = listedNames_.find(path);
    if (listed != listedNames_.end() && !header.again.empty()) {
      // A listed file: what the scans define that its own do not.
      header.path = path;
      header.facts = FileFacts();
      header.facts.path = listed->second;
      header.facts.read = true;
      for (const ReachedHeader::Again& again : header.again) {
        if (again.facts.read) addVariantDefinitions(header.facts, again.facts);
      }
      dropDefinitions(header.facts, listedDefinitions_[path]);
      continue;
    }
    for (const ReachedHeader::Again& again : header.again) {
      if (again.facts.read) addVariantDefinitions(header.facts, again.facts);
    }
  }
}

std::string PrefixTree::keyOf(const PrefixNode* parent, const std::string& step) {
  std::string key = std::to_string(reinterpret_cast<std::uintptr_t>(parent));
  key += '\n';
  key += step;
  return key;
}

std::shared_ptr<const PrefixNode> PrefixTree::find(const PrefixNode* parent, const std::string& step,
                                                   std::uint64_t generation) {
  const std::string key = keyOf(parent, step);
  LockHeld held(lock_);
  if (generation != generation_) {
    nodes_.clear();
    entries_ = 0;
    generation_ = generation;
  }
  auto found = nodes_.find(key);
  return found == nodes_.end() ? nullptr : found->second;
}

std::shared_ptr<const PrefixNode> PrefixTree::add(const PrefixNode* parent, const std::string& step,
                                                  std::shared_ptr<const PrefixNode> node,
                                                  std::uint64_t generation) {
  // Past this many symbols in all, files no longer share steps: a tree of very
  // many different starts would cost more than it saves.
  constexpr std::size_t kMostEntries = std::size_t{1} << 22;
  const std::string key = keyOf(parent, step);
  LockHeld held(lock_);
  if (generation != generation_) return node;
  auto found = nodes_.find(key);
  if (found != nodes_.end()) return found->second;
  const std::size_t size = node->macros->ownSize() + node->defaults->ownSize();
  if (entries_ + size > kMostEntries) return node;
  entries_ += size;
  nodes_.emplace(key, node);
  return node;
}

std::shared_ptr<const HeaderEffects::Known> HeaderEffects::knownOf(const HeaderRun& run, std::uint64_t generation,
                                                                  bool& first) {
  Shard& shard = shardOf(run);
  LockHeld held(shard.lock);
  if (generation != shard.generation) {
    shard.effects.clear();
    shard.generation = generation;
  }
  auto [found, isNew] = shard.effects.try_emplace(run);
  first = isNew;
  if (isNew) found->second = std::make_shared<const Known>();
  return found->second;
}

std::vector<std::shared_ptr<const HeaderEffect>> HeaderEffects::find(const HeaderRun& run,
                                                                    std::uint64_t generation,
                                                                    const Digest& digest, bool& first,
                                                                    std::size_t& known) {
  const std::shared_ptr<const Known> effects = knownOf(run, generation, first);
  known = effects->tooShort ? kMostEffects : effects->effects.size();
  std::vector<std::shared_ptr<const HeaderEffect>> result;
  if (effects->effects.empty()) return result;
  // The walk's lists, kept by each thread: a file asks thousands of times.
  thread_local std::vector<std::uint32_t> matched;
  thread_local std::vector<std::uint32_t> walk;
  matched.clear();
  walk.assign(1, 0);
  while (!walk.empty()) {
    const Node& node = effects->nodes[walk.back()];
    walk.pop_back();
    matched.insert(matched.end(), node.ends.begin(), node.ends.end());
    for (const Node::Test& test : node.tests) {
      const std::uint64_t now = digest(test.name);
      for (const auto& [value, next] : test.next) {
        if (value == now) walk.push_back(next);
      }
    }
  }
  std::sort(matched.begin(), matched.end());
  result.reserve(matched.size());
  for (std::uint32_t i : matched) result.push_back(effects->effects[i]);
  return result;
}

void HeaderEffects::add(const HeaderRun& run, std::shared_ptr<const HeaderEffect> effect,
                        std::uint64_t generation) {
  Shard& shard = shardOf(run);
  LockHeld held(shard.lock);
  if (generation != shard.generation) return;
  std::shared_ptr<const Known>& slot = shard.effects[run];
  if (slot && (slot->tooShort || slot->effects.size() >= kMostEffects)) return;
  auto known = slot ? std::make_shared<Known>(*slot) : std::make_shared<Known>();
  if (known->nodes.empty()) known->nodes.emplace_back();
  std::uint32_t at = 0;
  for (const auto& input : effect->inputs) {
    const std::string_view name = input.first;  // named, not bound: lambdas capture them
    const std::uint64_t value = input.second;
    std::vector<Node::Test>& tests = known->nodes[at].tests;
    auto test = std::find_if(tests.begin(), tests.end(), [&](const Node::Test& t) { return t.name == name; });
    if (test == tests.end()) test = tests.insert(tests.end(), Node::Test{name, {}});
    auto next = std::find_if(test->next.begin(), test->next.end(), [&](const auto& n) { return n.first == value; });
    if (next != test->next.end()) {
      at = next->second;
      continue;
    }
    const auto made = static_cast<std::uint32_t>(known->nodes.size());
    test->next.emplace_back(value, made);
    known->nodes.emplace_back();  // `tests` and `test` are not used past this
    at = made;
  }
  known->nodes[at].ends.push_back(static_cast<std::uint32_t>(known->effects.size()));
  known->effects.push_back(std::move(effect));
  slot = std::move(known);
}

void HeaderEffects::markShort(const HeaderRun& run, std::uint64_t generation) {
  Shard& shard = shardOf(run);
  LockHeld held(shard.lock);
  if (generation != shard.generation) return;
  std::shared_ptr<const Known>& slot = shard.effects[run];
  if (slot && !slot->effects.empty()) return;
  auto known = std::make_shared<Known>();
  known->tooShort = true;
  slot = std::move(known);
}

bool HeaderSearches::find(const std::string& key, std::uint64_t generation, Found& found) {
  LockHeld held(lock_);
  if (generation != generation_) {
    found_.clear();
    generation_ = generation;
  }
  auto at = found_.find(key);
  if (at == found_.end()) return false;
  found = at->second;
  return true;
}

void HeaderSearches::add(const std::string& key, const Found& found, std::uint64_t generation) {
  LockHeld held(lock_);
  if (generation == generation_) found_.emplace(key, found);
}

const ReachedHeader* ReachedHeaders::find(const std::string& path) const {
  LockHeld held(lock_);
  auto found = headers_.find(path);
  return found == headers_.end() || found->second.rank.first == kLeftOut ? nullptr : &found->second;
}

std::string ReachedHeaders::shown(const std::string& path) const {
  {
    LockHeld held(lock_);
    auto listed = listedNames_.find(path);
    if (listed != listedNames_.end()) return listed->second;
    auto named = shownNames_.find(path);
    if (named != shownNames_.end()) return named->second;
  }
  // Found once: each of its folders is resolved, which asks the system for each
  // of theirs.
  std::string shown = shownPath(path, base_);
  LockHeld held(lock_);
  return shownNames_.emplace(path, std::move(shown)).first->second;
}

}  // namespace quenwick
