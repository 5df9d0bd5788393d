// The function table: one record per definition found, in the order found, with
// the names each body calls, and the resolution of called names to definitions.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tree/file_facts.h"
#include "tree/symbol_table.h"

namespace quenwick {

/// One function definition. Its callees are kept by the table (see `Sons`).
struct FuncRecord {
  std::string_view name;               // the function's name (held by the table)
  std::string_view filename;           // the source file's name as given (held by the table)
  std::optional<std::string> comment;  // the caption; absent when captions were off
  int lines = 0;                       // line of the definition's name
  bool called = false;                 // some callee list holds this name
  bool expanded = false;               // the tree printer has printed this subtree
  std::uint32_t sonsBegin = 0;         // first callee in the table's callee store
  std::uint32_t sonsCount = 0;         // number of callees
  std::uint32_t index = 0;             // position in the table
  std::uint32_t nameId = 0;            // the table's key of `name`
  std::uint32_t fileId = 0;            // the table's key of `filename`
  // What the C scan adds; quenwick's scan leaves these as they are.
  std::uint32_t column = 0;            // byte column of the name; 0 when not known
  std::uint32_t endLine = 0;           // line of the closing brace; 0 when not known
  DefinitionKind kind = DefinitionKind::Function;  // function or macro
  bool isStatic = false;               // declared static
  std::uint32_t placesBegin = 0;       // its other places in the table's place store
  std::uint32_t placesCount = 0;       // number of other places
  std::uint32_t sitesBegin = 0;        // first call site in the table's site store
  std::uint32_t sitesCount = 0;        // number of call sites, in source order
  std::uint32_t factsIndex = 0;        // position among its file's definitions (C scan)
};

/// A call site kept by the table: the callee by name key, and its place.
struct TableSite {
  std::uint32_t name = 0;  // the callee's name key (the member or variable when indirect)
  SourcePlace place;       // where the callee's name starts
  bool indirect = false;   // through a pointer or a member
  bool conditional = false;  // in a branch that a build defining nothing unknown leaves out
};

/// How a called name finds its definitions.
enum class Resolution : std::uint8_t {
  /// The caller's own file first, else every other file.
  OwnFileFirst,
  /// As C links: the caller's own file first; a static definition of a ".c" file
  /// is seen by no other file; otherwise the definitions seen from everywhere,
  /// functions before macros.
  Linkage,
};

/// The records of all scanned files in the order found. One name may have several
/// records. Every name (of a definition or a callee) has a key; callee lists hold
/// keys, and resolution goes by key, so no operation walks the table for one name.
class FunctionTable {
 public:
  FunctionTable() = default;
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  /// A new record for `name` in `file` at `line`, not yet in the table. It keeps a
  /// copy of `caption` when `showComments` is on and a caption is given. Raises
  /// `maxFileNameLen` and `maxLineNo`.
  FuncRecord createFuncRecord(std::string_view name, std::string_view file, int line,
                              const std::string* caption, bool showComments);
  /// Links `record`, made by this table's `createFuncRecord`, after the last record
  /// and returns it in its place.
  FuncRecord& appendFuncRecord(FuncRecord&& record);
  /// Appends `callee` to the record's callee list (the caller has made the
  /// duplicate and exclusion tests). Returns 1.
  int addCallee(FuncRecord& record, std::string_view callee);
  /// True when the record's callee list holds `callee`.
  bool containsCallee(const FuncRecord& record, std::string_view callee);
  /// The keys of the record's callees, in the order they were added.
  std::span<const std::uint32_t> Sons(const FuncRecord& record) const {
    return {calleeStore_.data() + record.sonsBegin, record.sonsCount};
  }
  /// The text of a name key.
  std::string_view nameOf(std::uint32_t id) const { return symbols_.name(id); }
  /// The number of name keys: every name of a record or a callee.
  std::size_t nameCount() const { return symbols_.size(); }
  /// The key of `name`, or `SymbolTable::kNone` when no record or callee has it.
  std::uint32_t findName(std::string_view name) const { return symbols_.find(name); }

  /// Chooses how calls resolve (before the first resolution).
  void setResolution(Resolution resolution) { resolution_ = resolution; }
  /// How calls resolve.
  Resolution resolution() const { return resolution_; }
  /// Records that the file `file` includes the sources `included` (as written in
  /// its #include lines, relative to its folder): their static definitions are
  /// its own.
  void addIncludedSources(std::string_view file, const std::vector<std::string>& included);
  /// Records that the file `file` compiles the code of `other` too (a grammar
  /// whose code a generated parser holds, named as files are): each sees the
  /// other's static definitions.
  void addUnitFile(std::string_view file, std::string_view other);
  /// Records that the file `file` was scanned with its build, which found every
  /// header it includes and read `headers` (as the records name them): a call of
  /// its that no function answers reaches the macros of those headers only.
  void setBuildHeaders(std::string_view file, const std::vector<std::string_view>& headers);
  /// Notes that where `record` calls `callee`, its build defined a function-like
  /// macro of that name: the call finds macros before functions.
  void markMacroCall(const FuncRecord& record, std::string_view callee);
  /// Records how the C scan read the file `file`.
  void setFileEncoding(std::string_view file, SourceEncoding encoding);
  /// How the C scan read the file with key `fileId`; null when it did not say.
  const SourceEncoding* fileEncoding(std::uint32_t fileId) const {
    return fileId < fileEncodings_.size() && fileEncodings_[fileId] >= 0
               ? &kEncodings[fileEncodings_[fileId]]
               : nullptr;
  }
  /// Records `places` as the other places of `record` (the last record appended).
  void setMorePlaces(FuncRecord& record, const std::vector<SourcePlace>& places);
  /// The other places of `record`.
  std::span<const SourcePlace> morePlaces(const FuncRecord& record) const {
    return {places_.data() + record.placesBegin, record.placesCount};
  }
  /// Appends a call site to `record` (the last record appended), keyed by `callee`.
  void addSite(FuncRecord& record, std::string_view callee, SourcePlace place, bool indirect,
               bool conditional = false);
  /// The call sites of `record`, in source order.
  std::span<const TableSite> sites(const FuncRecord& record) const {
    return {sites_.data() + record.sitesBegin, record.sitesCount};
  }
  /// The candidate definitions of `calleeId` for `caller`, as `resolveCallee`
  /// counts them, in table order (at most `limit`).
  std::vector<std::uint32_t> candidates(std::uint32_t calleeId, const FuncRecord& caller,
                                        std::size_t limit = SIZE_MAX);

  /// The number of candidate definitions of `callee` for a caller in `callerFile`:
  /// those in the caller's own file when there is any, else those in all other
  /// files. The earliest candidate goes to `definition` (null when there is none).
  int resolveCallee(std::string_view callee, std::string_view callerFile, FuncRecord*& definition);
  /// The same for a callee key and a caller given by its record.
  int resolveCallee(std::uint32_t calleeId, const FuncRecord& caller, FuncRecord*& definition);
  /// Sets `called` on every record whose name stands in any callee list.
  void markCalled();
  /// Clears `expanded` on every record.
  void clearExpanded();
  /// Removes from every callee list the names that have no definition anywhere.
  void pruneUndefinedCallees();
  /// Frees every record; the table is empty afterwards (the maxima stay).
  void freeFunctionTable();

  /// The records in table order.
  std::deque<FuncRecord>& records() { return records_; }
  /// The records in table order.
  const std::deque<FuncRecord>& records() const { return records_; }

  unsigned maxFileNameLen = 6;  // longest file name of any record, at least 6
  int maxLineNo = 0;            // largest line of any record

 private:
  /// What the table knows of one name key.
  struct NameInfo {
    std::uint32_t firstDefinition = 0;  // earliest record with the name
    std::uint32_t lastDefinition = 0;   // latest record with the name
    std::uint32_t definitions = 0;      // records with the name
    std::uint64_t stamp = 0;            // `currentStamp_` of the list that last took the name
  };
  /// Records of one name in one file (kept only for names defined more than once).
  struct Group {
    std::uint32_t first = 0;  // earliest record of the group
    std::uint32_t count = 0;  // records in the group
  };

  static std::uint64_t nameFileKey(std::uint32_t nameId, std::uint32_t fileId) {
    return (static_cast<std::uint64_t>(nameId) << 32) | fileId;
  }
  static std::uint64_t macroCallKey(const FuncRecord& caller, std::uint32_t nameId) {
    return (static_cast<std::uint64_t>(caller.index) << 32) | nameId;
  }
  std::uint32_t internName(std::string_view name);
  std::uint32_t internFile(std::string_view file);
  void addToGroup(std::uint32_t nameId, std::uint32_t at);
  int resolveLinked(std::uint32_t nameId, const FuncRecord& caller, FuncRecord*& definition,
                    std::vector<std::uint32_t>* all, std::size_t limit);
  int resolveInUnit(std::uint32_t nameId, DefinitionKind kind, const FuncRecord& caller,
                    FuncRecord*& definition, std::vector<std::uint32_t>* all, std::size_t limit);
  int resolveInFiles(std::uint32_t nameId, DefinitionKind kind, const std::vector<std::uint32_t>& files,
                     bool staticOnly, const FuncRecord& caller, FuncRecord*& definition,
                     std::vector<std::uint32_t>* all, std::size_t limit);
  int resolveElsewhere(std::uint32_t nameId, bool functions, const FuncRecord& caller,
                       FuncRecord*& definition, std::vector<std::uint32_t>* all, std::size_t limit);
  bool isMacroCall(const FuncRecord& caller, std::uint32_t nameId);
  bool callsItsName(const FuncRecord& macro) const;
  bool seenFrom(const FuncRecord& definition, const FuncRecord& caller) const;
  bool isShared(std::uint32_t fileId);
  void makeCurrentList(const FuncRecord& record);
  int resolveIn(std::uint32_t nameId, std::uint32_t callerFileId, FuncRecord*& definition);

  std::deque<FuncRecord> records_;                          // the table, in order
  SymbolTable symbols_;                                     // every name of a record or callee
  std::vector<NameInfo> nameInfo_;                          // by name key
  SymbolTable files_;                                       // every file name of a record
  std::vector<std::uint32_t> calleeStore_;                  // the callee keys of all records
  std::unordered_map<std::uint64_t, Group> byNameAndFile_;  // names defined more than once
  const FuncRecord* currentList_ = nullptr;  // the record whose callees carry the current stamp
  std::uint32_t currentBegin_ = 0;           // where that record's list started then
  std::uint64_t currentStamp_ = 0;           // stamp of the names in `currentList_`'s list
  Resolution resolution_ = Resolution::OwnFileFirst;  // how calls resolve
  std::vector<SourcePlace> places_;                   // the other places of all records
  std::vector<TableSite> sites_;                      // the call sites of all records
  std::vector<std::uint64_t> macroCalls_;  // record index and callee key of each call a macro of the build made
  bool macroCallsSorted_ = true;           // `macroCalls_` is sorted, each once
  /// The definitions of one name that every file sees (for `Resolution::Linkage`).
  struct SeenEverywhere {
    std::uint32_t firstFunction = 0;  // earliest such function
    std::uint32_t functions = 0;      // such functions
    std::uint32_t firstMacro = 0;     // earliest such macro
    std::uint32_t macros = 0;         // such macros
  };
  void computeSeenEverywhere();
  void computeIncludedFiles();
  const std::vector<std::uint32_t>& filesOfUnit(std::uint32_t fileId);

  std::vector<std::uint32_t> nextSameName_;           // by record: the next record of its name
  std::vector<SeenEverywhere> seenEverywhere_;        // by name key, once computed
  bool seenEverywhereValid_ = false;                  // `seenEverywhere_` matches the records
  std::vector<std::pair<std::uint32_t, std::string>> includedNames_;  // file key, source it includes
  std::vector<std::pair<std::uint32_t, std::uint32_t>> unitPairs_;  // file key, a file of its unit
  std::vector<std::vector<std::uint32_t>> unitFiles_;  // by file key: it and the sources it includes
  bool unitFilesValid_ = false;                        // `unitFiles_` matches the records
  SymbolTable buildHeaderNames_;  // the names of the headers that builds read, each once
  std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> buildHeaderLists_;  // file key, the keys of the headers its build read
  std::vector<std::vector<std::uint32_t>> buildHeaders_;  // by file key: those headers' keys, sorted
  std::vector<bool> hasBuildHeaders_;                     // by file key: `buildHeaders_` holds all its macros may come from
  std::vector<std::vector<std::uint32_t>> readersOf_;     // by header's file key: the files of a build that read it
  static constexpr SourceEncoding kEncodings[] = {SourceEncoding::Utf8, SourceEncoding::Cp932};
  std::vector<std::int8_t> fileEncodings_;             // by file key: 0 UTF-8, 1 code page 932, -1 not said
  std::vector<std::int8_t> fileShares_;               // by file key: statics seen by all (-1: not known yet)
};

}  // namespace quenwick
