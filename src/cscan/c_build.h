// What a build tells the C scan about one file beyond its -D and -U: the
// compiler's predefined macros, where `#include` looks, the files included before
// the first line, and the caches that the scans of a run share. With it the scan
// follows `#include` for the directives of the headers (#define, #undef and the
// conditionals around them), and a symbol that nothing defines is undefined, as it
// is for the compiler, until a header cannot be found.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cscan/c_expression.h"
#include "cscan/c_macros.h"
#include "platform/lock.h"
#include "tree/file_facts.h"

namespace quenwick {

/// A project header met by a file's directives, with the branches its own
/// conditionals took there: includers whose branches differ compile different code.
struct HeaderReach {
  std::string path;            // absolute, in normal form
  std::uint64_t branches = 0;  // a digest of which of its branches were read (and of its macros, when a template)
  bool template_ = false;      // a header without a guard whose code the includer's macros shape
};

/// One folder that `#include` searches.
struct SearchFolder {
  std::string path;     // absolute, in normal form, without a trailing "/"
  bool system = false;  // -isystem, -idirafter or the compiler's own: its headers are no project's
};

/// One directive of a header, made ready when the header is first read.
struct HeaderLine {
  /// What the directive is.
  enum Kind : std::uint8_t {
    Define, Undef, If, Ifdef, Ifndef, Elif, Elifdef, Elifndef, Else, Endif, Include, IncludeNext,
  };
  Kind kind = Define;                // what it is
  SourcePlace place;                 // where its "#" is
  std::string_view name;             // Define, Undef, Ifdef, Ifndef, Elifdef, Elifndef: the symbol (kept in the text's arena)
  MacroState macro;                  // Define: the state it gives the symbol
  std::vector<PpToken> tokens;       // If, Elif: the condition; Include: the tokens after the word
  std::string header;                // Include: the name with its "" or <>, when written so
  std::uint32_t next = 0;            // If...Elif, Else: the next #elif, #else or #endif of its level
  bool hasInclude = false;           // If, Elif: the condition asks __has_include or __has_include_next
  // Include: the levels it lies within, outermost first: the #if... line of each
  // and the line of its branch.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> within;
};

/// A header as the scans of a run read it.
struct HeaderText {
  std::string path;               // absolute, in normal form
  std::vector<HeaderLine> lines;  // its directives, in order
  std::string guard;              // the symbol of an include guard around all of them, if any
  bool pragmaOnce = false;        // it holds "#pragma once"
  bool asksHeaders = false;       // some condition asks __has_include or __has_include_next
  // A header without a guard whose code holds braces (a template that files
  // include with macros of their own, `#define FN(X) X##Literal`): the names its
  // code uses, each once.
  std::vector<std::string_view> codeNames;
  TextArena texts;                // the symbols, parameters and replacements of the lines
  // The runs of lines, by the line they start at, that a first reading found too
  // short to be worth an effect: later readings read them without asking the
  // effects (most runs, in a kernel's headers: a lookup each would cost more).
  mutable std::vector<std::atomic<bool>> shortRuns;
};

/// Makes a header's text ready: its directives read and their conditionals linked.
std::shared_ptr<const HeaderText> readHeaderText(std::string path, std::string bytes);

/// The headers of a run, each read once, shared by every scan and thread. A
/// long-running process forgets a header that changed and scans again the files
/// whose facts list it in `FileFacts::headers`.
class HeaderCache {
 public:
  /// The header at `path` (absolute, normal form), read at its first request; null
  /// when it cannot be read or holds NUL bytes.
  std::shared_ptr<const HeaderText> get(const std::string& path);
  /// True when `path` names a regular file (asked once, then remembered).
  bool exists(const std::string& path);
  /// The folder `path` with its links followed (empty: it does not exist), asked
  /// once: the files of a build lie in few folders.
  std::string resolvedFolder(const std::string& path);
  /// Forgets what was read of `path`, so that the next request reads it again.
  void forget(const std::string& path);
  /// Forgets everything.
  void clear();
  /// How many times something was forgotten: what was built on older headers is stale.
  std::uint64_t generation();

 private:
  Lock lock_;  // guards the maps and the generation
  std::uint64_t generation_ = 0;  // counts `forget` and `clear`
  std::unordered_map<std::string, std::shared_ptr<const HeaderText>> texts_;  // by path; null: unreadable
  std::unordered_map<std::string, bool> exists_;  // by path: a regular file
  std::unordered_map<std::string, std::string> folders_;  // by folder: with its links followed
};

/// What a file's symbols are after a run of first steps (the start of its build,
/// then each #include, #define and #undef before anything makes the file differ
/// from another, such as an undecided conditional). Files of one build that begin
/// alike share it: the headers they all include are read once for them all.
struct PrefixNode {
  std::shared_ptr<const MacroTable> macros;    // the symbols, as the base of a file's own table
  std::shared_ptr<const MacroTable> defaults;  // a plain build's view of them
  bool unlistedUnknown = false;                // a header was not found: unlisted names are unknown
  std::vector<std::string> headers;            // the headers read, in the order first met
  std::vector<std::string> missing;            // the headers not found, as written
  std::vector<std::string> once;               // the headers of "#pragma once" read
  std::vector<HeaderReach> reachable;          // the project's headers met: each scanned as a file
  int depth = 0;                               // tables above the last one that holds them all
  std::shared_ptr<const PrefixNode> parent;    // the step before, whose tables `macros` may build on
};

/// The first steps of the files of one build, as a tree.
class PrefixTree {
 public:
  /// The node that `step` leads to from `parent` (null: the start), or null. A
  /// `generation` of the header cache other than the last one forgets every node.
  std::shared_ptr<const PrefixNode> find(const PrefixNode* parent, const std::string& step,
                                         std::uint64_t generation);
  /// Adds `node` as where `step` leads from `parent`, unless another thread did so
  /// first; returns the node kept (`node` itself when the tree holds as much as
  /// it may, or is of another generation).
  std::shared_ptr<const PrefixNode> add(const PrefixNode* parent, const std::string& step,
                                        std::shared_ptr<const PrefixNode> node,
                                        std::uint64_t generation);

 private:
  static std::string keyOf(const PrefixNode* parent, const std::string& step);

  Lock lock_;  // guards the map
  std::unordered_map<std::string, std::shared_ptr<const PrefixNode>> nodes_;  // by parent and step
  std::size_t entries_ = 0;  // symbols held in all nodes' tables
  std::uint64_t generation_ = 0;  // the header cache's generation the nodes were made in
};

/// What reading a run of a header's directives did to a file's symbols, and all it
/// depended on: from its start (the first line, or the line after an #include) to
/// the next #include the reading followed, or to the end. A file of the same
/// database that reads the header there, where the same holds, gets the same
/// effect without reading those lines again; the #include itself is followed each
/// time, so the effect does not depend on what the file had read before of the
/// headers it names.
struct HeaderEffect {
  /// A change's position in `defaultStates` when the plain build's view has its `state` too.
  static constexpr std::uint32_t kSame = UINT32_MAX;
  /// A symbol the reading changed.
  struct Change {
    std::string_view name;    // the symbol, kept in `texts`
    MacroState state;         // what it is after the reading
    bool inDefaults = false;  // the plain build's view changed too
    std::uint32_t byDefault = kSame;  // what it is in that view: its position in `defaultStates`
  };
  using Lookups = std::vector<std::pair<std::string_view, std::uint64_t>>;
  Lookups inputs;                               // symbols looked up before being changed, with the digest of what was found (names kept in `texts`)
  Lookups defaultInputs;                        // the same in the plain build's view
  bool outOfDefault = false;                    // read in a branch a plain build leaves out
  bool plainFollows = true;                     // a plain build's view changes as the symbols do
  std::vector<Change> changes;                  // in the order first made
  std::vector<MacroState> defaultStates;        // the plain build's view of the changes where it differs
  std::uint32_t end = 0;                        // the #include line it stops at, or the number of lines
  std::vector<std::uint32_t> branchNotes;       // the branches read, as `HeaderReach::branches` takes them
  TextArena texts;                              // the names, parameters and replacements of the inputs and changes
};

/// Where a run of a header's lines starts, and what else than the symbols its
/// reading may depend on.
struct HeaderRun {
  const HeaderText* text = nullptr;  // the header (the cache keeps it while the generation lasts)
  bool system = false;               // found in a system folder: its macros are the system's
  std::uint32_t line = 0;            // the run's first line
  // For a header that asks __has_include: the build whose folders answer, and the
  // search folder the header was found in (-1: none).
  const void* folders = nullptr;
  int chain = -1;
  bool operator==(const HeaderRun& other) const {
    return text == other.text && system == other.system && line == other.line && folders == other.folders &&
           chain == other.chain;
  }
};

/// The effects of the runs of headers' lines of the builds of a run.
class HeaderEffects {
 public:
  /// Effects kept for one run at most: a run read in more ways is read each time.
  static constexpr std::size_t kMostEffects = 64;
  /// What a symbol is where the header is included, as `digestOf` tells it.
  using Digest = std::function<std::uint64_t(std::string_view)>;

  /// The effects known for `run` whose symbol inputs all hold (`digest` says what
  /// each symbol is; it is asked once for each symbol on the way), in the order
  /// they were added; `known` is set to how many the run has (kMostEffects when
  /// it is too short to have any), and `first` when the run was not asked for
  /// before. A new `generation` of the header cache forgets all.
  std::vector<std::shared_ptr<const HeaderEffect>> find(const HeaderRun& run, std::uint64_t generation,
                                                        const Digest& digest, bool& first, std::size_t& known);
  /// Adds an effect for `run` (a few at most for each).
  void add(const HeaderRun& run, std::shared_ptr<const HeaderEffect> effect, std::uint64_t generation);
  /// Notes that `run` reads too few lines to be worth an effect.
  void markShort(const HeaderRun& run, std::uint64_t generation);

 private:
  // The effects of one run as a tree of their symbol inputs, in the order they
  // were looked up: readings that found the same so far went the same way and
  // asked the same next, so effects share the start of their inputs, and a walk
  // asks each symbol once however many effects the run has.
  struct Node {
    struct Test {
      std::string_view name;  // the symbol asked (kept by an effect)
      std::vector<std::pair<std::uint64_t, std::uint32_t>> next;  // the node for each digest found
    };
    std::vector<Test> tests;         // usually one: what the readings asked next
    std::vector<std::uint32_t> ends;  // the effects whose inputs end here
  };
  // Never changed once shared: an addition makes a new one, so that a walk needs
  // no lock.
  struct Known {
    std::vector<std::shared_ptr<const HeaderEffect>> effects;  // in the order added
    std::vector<Node> nodes;                                   // the tree; the first is its root
    bool tooShort = false;                                     // no effect is made of the run
  };
  struct RunHash {
    std::size_t operator()(const HeaderRun& run) const {
      std::uint64_t hash = reinterpret_cast<std::uintptr_t>(run.text) ^ reinterpret_cast<std::uintptr_t>(run.folders);
      hash = (hash ^ (static_cast<std::uint64_t>(run.line) << 32 | static_cast<std::uint32_t>(run.chain))) *
             0x9E3779B97F4A7C15ull;
      return static_cast<std::size_t>((hash ^ (hash >> 29) ^ (run.system ? 1 : 0)) * 0xBF58476D1CE4E5B9ull);
    }
  };
  /// The runs of one part of the map, under a lock of their own: a file asks
  /// thousands of times, and the threads would wait on a single lock.
  struct Shard {
    Lock lock;  // guards the part
    std::unordered_map<HeaderRun, std::shared_ptr<const Known>, RunHash> effects;  // by run
    std::uint64_t generation = 0;  // the header cache's generation the effects were made in
  };
  static constexpr int kShardBits = 4;
  /// The part that holds `run`: by the hash's high bits, the best mixed.
  Shard& shardOf(const HeaderRun& run) {
    return shards_[RunHash{}(run) >> (8 * sizeof(std::size_t) - kShardBits)];
  }
  /// The effects of `run`, made empty when new (`first` then set).
  std::shared_ptr<const Known> knownOf(const HeaderRun& run, std::uint64_t generation, bool& first);
  std::array<Shard, std::size_t{1} << kShardBits> shards_;  // by the run's hash
};

/// Where the headers of one build were found, by how each was asked for: the
/// files of a build include the same headers from the same folders.
class HeaderSearches {
 public:
  /// The answer to one search.
  struct Found {
    bool found = false;   // the header exists
    std::string path;     // absolute, in normal form
    int chain = -1;       // the search folder it is in (-1: none)
    bool system = false;  // that folder is a system one
  };
  /// True, with `found` set, when the search `key` was answered at the header
  /// cache's `generation`; a new generation forgets every answer.
  bool find(const std::string& key, std::uint64_t generation, Found& found);
  /// Keeps the answer to `key`.
  void add(const std::string& key, const Found& found, std::uint64_t generation);

 private:
  Lock lock_;  // guards the map
  std::unordered_map<std::string, Found> found_;  // by search
  std::uint64_t generation_ = 0;  // the header cache's generation of the answers
};

/// The settings of a build that files compiled alike share.
struct CBuild {
  std::string compiler;                       // the compiler as the entry names it
  std::shared_ptr<const MacroTable> predefined;  // the compiler's predefined macros
  std::vector<std::string> quoteFolders;      // -iquote: searched for "x.h" after the includer's folder
  std::vector<SearchFolder> folders;          // -I, -isystem, the compiler's own, -idirafter, in order
  std::string directory;                      // the folder the compiler runs in
  std::vector<std::string> forcedIncludes;    // -include and -imacros, as written
  std::shared_ptr<HeaderCache> headers;       // the headers read so far (never null)
  std::shared_ptr<PrefixTree> prefixes;       // the first steps of its files (null: not shared)
  std::shared_ptr<HeaderEffects> effects;     // what its headers do (null: each read every time)
  std::shared_ptr<HeaderSearches> searches;   // where its headers were found (null: searched each time)
};

/// Where a configuration stands among those of a run: the file's rank, then its
/// place among the configurations the file is compiled in.
using ScanRank = std::pair<std::size_t, std::size_t>;

/// A header scanned as a file of its own in the configuration of a file that
/// includes it.
struct ReachedHeader {
  /// A scan of the header for another includer, whose branches or names differ.
  struct Again {
    ScanRank rank;          // the includer's configuration
    std::string includer;   // that file, as its facts name it
    FileFacts facts;        // the header's facts in it
  };
  std::string path;        // absolute, in normal form
  ScanRank rank{0, 0};     // the configuration of the including file
  std::string includer;    // that file, as its facts name it
  FileFacts facts;         // the header's facts
  std::vector<Again> again;  // its scans in other configurations, by rank once merged
};

/// The headers that listed files reach, each scanned as a file: the
/// configuration of the lowest rank that includes one scans it with its symbols
/// at the `#include`. A header that other includers read with other branches, or
/// that other configurations of its includer compile, is scanned again for each
/// (the lowest rank of each kind), once the first scans of the run are done, and
/// what those define joins its facts. Safe for the threads of one run.
class ReachedHeaders {
 public:
  /// The folder that the shown names of headers are relative to, when below it.
  explicit ReachedHeaders(std::string base) : base_(std::move(base)) {}

  /// Leaves `path` (absolute, normal form) out: it is scanned as a given file.
  void exclude(const std::string& path);
  /// Leaves `path` out as a file of the build, named `shown` in the facts: a
  /// listed file that another includes with other branches or names is scanned
  /// again where it is included, as a header is.
  void excludeListed(const std::string& path, const std::string& shown);
  /// The listed files that some file's directives met, with their shown names.
  std::vector<std::pair<std::string, std::string>> reachedListed() const;
  /// What the listed file `path` defines in its own configurations, by name and kind.
  void setListedDefinitions(const std::string& path, std::set<std::pair<std::string, DefinitionKind>> defined);
  /// Once merged: for each listed file scanned again, what those scans define
  /// that its own scans do not, in order of path.
  std::vector<const ReachedHeader*> listedAgain() const;
  /// True when the configuration `rank` is to scan `path` now: no lower rank
  /// claimed it before (the claim is made), or, when scanning again, it is to
  /// scan it again.
  bool claim(const std::string& path, ScanRank rank);
  /// Keeps the scan of `path` made by the configuration `rank`, unless a lower
  /// rank has claimed it since.
  void store(const std::string& path, ScanRank rank, std::string includer, FileFacts facts);
  /// True when the configuration `rank` would scan `path`: `claim` would say so.
  bool wouldClaim(const std::string& path, ScanRank rank) const;
  /// Notes the project headers a file's scan in configuration `rank` met, in order.
  void noteReaches(const std::vector<HeaderReach>& reaches, ScanRank rank);
  /// Keeps the headers that the first configuration of the file of rank `file`
  /// meets, for `noteReachesAlike`.
  void keepFirstReaches(std::size_t file);
  /// Notes that the configuration `variant` of a file met the headers its file's
  /// first configuration met: its scan, not made, would have read alike.
  void noteReachesAlike(ScanRank variant);
  /// Once the first scans are done: the configurations to scan again, in order of
  /// rank, after which `claim` answers for their scans.
  std::vector<ScanRank> planAgain();
  /// True once `planAgain` was called.
  bool scanningAgain() const;
  /// Gives each header the definitions its scans in other configurations add, in
  /// order of rank.
  void mergeAgain();
  /// The scan kept for `path`, or null.
  const ReachedHeader* find(const std::string& path) const;
  /// How a header is named in the facts: relative to the base when below it.
  std::string shown(const std::string& path) const;

 private:
  /// Where a header's first reach with some branches was made.
  struct FirstReach {
    ScanRank rank;           // by that configuration
    std::size_t order = 0;   // among its reaches
  };
  mutable Lock lock_;  // guards the maps
  std::string base_;   // the current folder of the run
  std::unordered_map<std::string, ReachedHeader> headers_;  // by path; rank SIZE_MAX: left out
  std::unordered_map<std::string, std::unordered_map<std::uint64_t, FirstReach>> reaches_;  // by path, then branches
  std::unordered_map<std::string, std::set<ScanRank>> variantReaches_;  // by path: the configurations other than their file's first that reach it
  std::set<std::string> templates_;  // the headers some reach found a template
  std::unordered_map<std::size_t, std::vector<std::string>> firstReaches_;  // by file asked for: the headers its first configuration met
  bool scanningAgain_ = false;  // the first scans are done
  std::set<std::pair<ScanRank, std::string>> planned_;  // the headers each configuration scans again
  std::unordered_map<std::string, std::string> listedNames_;  // files of the build by path: their shown names
  mutable std::unordered_map<std::string, std::string> shownNames_;  // other headers by path: their shown names, once asked
  std::unordered_map<std::string, std::set<std::pair<std::string, DefinitionKind>>> listedDefinitions_;  // by path
};

}  // namespace quenwick
