// The C scan of one file: tokens in, facts out. At file level it collects each
// declaration up to its ";" or "{" and reads the heads of function bodies; in a
// body it records the call sites; directives are carried out as they come, with
// the conditions the symbols decide, and every branch of an undecided one scanned
// from the structure the scan had at its #if.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cscan/c_expression.h"
#include "cscan/c_heads.h"
#include "cscan/c_lexer.h"
#include "cscan/c_macros.h"
#include "cscan/c_scan.h"
#include "cscan/c_source.h"
#include "tree/file_facts.h"

namespace quenwick {

/// The scan of one source text into its facts.
class CScanner {
 public:
  /// A scan of `source` with the symbols and captions of `config`, into `facts`.
  CScanner(const SourceText& source, const CScanConfig& config, FileFacts& facts);

  /// Scans the whole text.
  void run();
  /// With a build, notes in `watch` (null: nowhere) every symbol the scan looks
  /// up, in the file and in all it reads. Set before `run`.
  void watchLookups(SymbolWatch* watch) { watch_ = watch; }

 private:
  /// A scan of the expansion of a macro invoked at file level in `outer`: it reads
  /// the outer scan's symbols and makes none of its own.
  CScanner(const SourceText& source, const CScanConfig& config, FileFacts& facts,
           const CScanner& outer);

 public:

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  /// An open brace.
  struct Block {
    /// What the brace opened.
    enum Kind : std::uint8_t { Function, Aggregate, ExternC, Inner };
    Kind kind;                 // what it opened
    std::uint32_t definition;  // the function (Function), else kNone
    SourcePlace place;         // where the brace is
  };
  /// An open parenthesis inside a body.
  struct Paren {
    bool star = false;           // "*" came first: (*fp)
    bool declarator = false;     // opened in a declaration's specifiers: int (*fp)(...)
    bool skipped = false;        // an attribute or asm group: nothing inside counts
    std::uint64_t dropped = 0;   // arguments of a macro that its replacement never uses
    std::uint32_t argument = 0;  // the argument being read
    std::uint32_t tokens = 0;    // tokens inside so far
    Token lastName;              // the last name inside, at its own level
    bool lastIsMember = false;   // that name followed "->" or "."
    bool specifiersOnly = true;  // since it opened or since its last ";" or ",": declaration words alone
    bool hasSpecifier = false;   // some declaration word came there
    bool tagNext = false;        // the next name is a struct, union or enum tag
  };
  /// What a body's statement has shown so far, at its own parenthesis level.
  struct Statement {
    SourcePlace declarator;      // the name the statement declares last (line 0: none)
    bool specifiersOnly = true;  // nothing but declaration words so far
    bool hasSpecifier = false;   // some declaration word came
    bool tagNext = false;        // the next name is a struct, union or enum tag
    bool declaration = false;    // the statement declares something
    bool expectDeclarator = false;  // the next name is a declarator
  };
  /// A call of `T (` that `(*name)(` after it would make a declaration instead.
  struct Tentative {
    int stage = 0;               // 0: none; 1 after "T (", 2 after "*", 3 after the name, 4 after ")"
    Token name;                  // the declared name
  };
  /// The open groups of a macro's replacement, each with the arguments that the
  /// macro called there drops: what stands in one of those is not compiled.
  class DroppedGroups {
   public:
    /// A "(": of a call of a macro that drops the arguments `dropped`, or of sizeof
    /// and the like when `unevaluated`.
    void open(std::uint64_t dropped, bool unevaluated = false) { groups_.push_back({unevaluated, dropped, 0}); }
    /// A ")".
    void close() {
      if (!groups_.empty()) groups_.pop_back();
    }
    /// A "," (of the innermost group's arguments).
    void comma() {
      if (!groups_.empty()) ++groups_.back().argument;
    }
    /// True inside an argument that is dropped or not evaluated.
    bool inside() const {
      for (const Group& group : groups_) {
        if (group.unevaluated || (group.argument < 64 && (group.dropped >> group.argument & 1) != 0)) return true;
      }
      return false;
    }

   private:
    struct Group {
      bool unevaluated = false;    // sizeof (...), typeof (...)
      std::uint64_t dropped = 0;   // a macro's call: the arguments it drops
      std::uint32_t argument = 0;  // the argument being read
    };
    std::vector<Group> groups_;  // innermost last
  };
  /// Whether a macro makes calls that its record cannot show.
  struct MadeCalls {
    const char* body;  // the replacement this answer is for (a macro may be defined again)
    bool makes;        // `makesCalls`
  };
  /// An old-style head, `f(a, b)`, whose parameter declarations may follow.
  struct OldStyleHead {
    Token name;               // the defined name
    bool isStatic = false;    // "static" stood before it
    SourcePlace start;        // the first token of its declaration
    int declarations = -1;    // declarations read since; -1 when there is no such head
    std::vector<std::string_view> pointers;  // parameters declared as (*name)
  };
  /// A function head that an earlier branch of a conditional left before the "{"
  /// that follows the conditional: `#if A` / `f32(x)` / `#else` / `f64(x)` / `#endif` / `{`.
  struct Alternative {
    Token name;             // the defined name
    bool isStatic = false;  // "static" stood before it
    SourcePlace start;      // the first token of its declaration
  };
  /// The structure the scan has at an #if, to start each further branch from.
  struct Snapshot {
    std::vector<Block> blocks;     // open braces
    std::vector<Token> decl;       // the declaration being read
    int declParens = 0;            // its open parentheses
    std::vector<int> transparent;  // its open calls of identity macros
    OldStyleHead oldStyle;         // a pending old-style head
    std::vector<Paren> parens;     // open parentheses of a body
    Statement statement;           // the body's statement
    std::uint32_t current = kNone; // the function being read
  };
  /// One symbol changed inside an undecided conditional.
  struct Touched {
    std::string_view name;                 // the symbol
    MacroState atIf;                       // its state at the #if
    std::vector<MacroState> branchEnds;    // its state at the end of each scanned branch
  };
  /// One open conditional.
  struct Conditional {
    SourcePlace place;            // of its #if
    bool scanning = false;        // the current branch is scanned
    bool taken = false;           // some branch was decided to be compiled
    bool maybeTaken = false;      // some branch may be compiled
    bool anyScanned = false;      // an earlier branch was scanned
    bool anyUndecided = false;    // some branch was scanned without being decided
    bool hasElse = false;         // #else was met
    bool byDefault = true;        // the current branch is compiled when nothing unknown is defined
    bool defaultTaken = false;    // a branch was, so no later one is
    bool restores = true;         // further branches start from `snapshot`
    std::string_view guardName;   // #ifdef NAME, #ifndef NAME, #if !defined(NAME): the symbol
    bool guardDefined = false;    // #ifdef rather than #ifndef
    std::uint32_t branches = 0;   // scanned branches that a further branch followed
    bool lastScanned = false;     // the last branch was scanned
    Snapshot snapshot;            // the structure at the #if
    bool hasDefaultEnd = false;   // `defaultEnd` holds the end of the branch a plain build compiles
    bool lastWasDefault = false;  // the branch scanned last is that branch
    Snapshot defaultEnd;          // the structure at the end of that branch
    std::vector<Touched> touched; // symbols changed in its branches
    std::vector<Alternative> alternatives;  // heads that earlier branches left open
    std::unordered_map<std::string_view, std::size_t> touchedAt;  // position of each in `touched`
  };

  // c_scanner.cpp: the main loop and the file level.
  void fileToken(const Token& token);
  void openFileBrace(const Token& brace);
  void closeBrace(const Token& brace);
  void endDeclaration();
  void pushDecl(const Token& token);
  void expandInvocation(bool declarationEnds = false);
  bool scanAsHead(const std::string& text, FileFacts& inner);
  bool isIdentityMacro(const Token& name) const;
  void addMadeDefinitions(const FileFacts& inner, std::size_t count, SourcePlace at, SourcePlace end);
  std::string_view keep(std::string_view text);
  std::uint32_t defineFunction(const Token& name, bool isStatic, SourcePlace start);
  Head readFileHead() const;
  Token headThroughMacro(Head& head);
  std::string expandedDeclaration() const;
  bool expandedHead(Token& named, bool& isStatic);
  std::string_view compiledName(std::string_view name);
  std::string_view compiledName(const Token& name);
  void keepNamesBefore(std::string_view symbol);
  bool staticByMacro(std::size_t name) const;
  std::uint32_t definitionFor(std::string_view name, DefinitionKind kind, SourcePlace place,
                              SourcePlace start, bool& isNew);
  bool atFileLevel() const;
  void finish();

  // c_bodies.cpp: call sites in bodies.
  void bodyToken(const Token& token);
  void openParen(const Token& paren);
  void closeParen();
  bool makesName(std::string_view name) const;
  std::vector<PpToken> expandMacroCall() const;
  std::string_view nameMadeByMacro();
  bool makesCalls(std::string_view name);
  const MacroState* objectMacroWithGroup(std::string_view name) const;
  bool isCallingObjectMacro(std::string_view name);
  void recordObjectMacroExpansion(const Token& name);
  std::string_view designatedFunction(std::string_view name);
  bool callsMadeName(const std::vector<PpToken>& tokens, std::size_t at) const;
  bool passesCalledParameter(const std::vector<PpToken>& tokens, std::size_t at,
                             const std::vector<std::string_view>& params, int depth) const;
  void recordExpansionCalls(const std::vector<PpToken>& expanded, SourcePlace place,
                            const std::vector<PpToken>& arguments);
  void recordMadeCall(std::size_t at, const std::vector<std::string_view>& params);
  bool stepTentative(const Token& token);
  void parenToken(Paren& paren, const Token& token);
  void statementToken(const Token& token);
  void recordCall(const Token& name, bool indirect, bool macro = false);
  void recordCall(std::string_view name, SourcePlace place, bool indirect, bool macro = false);
  bool isPointerName(std::string_view name) const;
  std::uint64_t unusedArguments(std::string_view macro);
  bool insideDroppedArgument() const;
  void startBody(std::uint32_t definition, const Head& head);

  // c_directives.cpp: directives and conditionals.
  void directive(const Token& hash);
  void noteLineDirective(const Token& name);
  void applyLineShifts();
  std::uint32_t lineFileNamed(std::string_view written);
  void readDirectiveTokens();
  void defineMacro();
  void undefineMacro();
  void setSymbol(std::string_view name, const MacroState& state);
  /// The symbols as a plain build has them.
  const MacroTable& plainView() const { return defaultsFollow_ ? macros_ : defaults_; }
  /// Gives the plain build's view a table of its own, from here on apart from `macros_`.
  void separateDefaults();
  void noteDefaultLookups();
  void recordMacroCalls(std::uint32_t definition, std::size_t bodyBegin,
                        const std::vector<std::string_view>& params);
  void openConditional(std::string_view word, Truth truth, const Token& hash,
                       std::string_view guard, bool guardDefined);
  void nextBranch(Truth truth, bool isElse, const Token& hash, bool byDefault);
  void elseIf(std::string_view word, const Token& hash);
  void closeConditional(const Token& hash);
  void enterBranch(Conditional& level, Truth truth, bool byDefault);
  bool defaultTruth(std::size_t from, const std::string_view& word);
  void updateDefault();
  void endBranch(Conditional& level, bool last);
  void mergeTouched(Conditional& level);
  std::string conditionText(std::size_t from) const;
  Truth conditionOf(std::size_t from);
  Truth definedTruth(std::size_t at, bool wantDefined);
  void skipDeadText();
  Snapshot takeSnapshot() const;
  void restore(const Snapshot& snapshot);
  void applySymbols(const CScanConfig& config);

  // c_includes.cpp: a file of a build (`config_.build`), whose #include lines are
  // followed for the directives of the headers, and whose headers are scanned as
  // files where `config_.reached` asks for it.
  struct IncludeState;
  void startBuild();
  void followInclude(const Token& hash, std::string_view word);
  void includeNamed(const std::string& name, bool next);
  bool findHeader(const std::string& name, bool next, std::string& path, int& chain,
                  bool& system) const;
  void searchKey(const std::string& name, bool next, std::string& key) const;
  bool searchHeader(const std::string& name, bool next, std::string& path, int& chain,
                  bool& system) const;
  struct Resolved;
  Resolved& resolveHeader(const std::string& name, bool next);
  void includeHeader(const std::string& path, int chain, bool system, Resolved* resolved = nullptr);
  void includeBody(const std::string& path);
  std::uint64_t readHeaderLines(const struct HeaderText& text, int chain, bool system);
  std::uint32_t readHeaderRun(const struct HeaderText& text, std::uint32_t i, std::size_t base,
                              std::uint64_t& branches, std::uint32_t& read);
  void followHeaderInclude(const struct HeaderText& text, const struct HeaderLine& line);
  void reopenHeaderLevels(const struct HeaderText& text, const struct HeaderLine& line);
  bool allDecided(std::size_t base) const;
  void openHeaderConditional(const struct HeaderLine& line, bool ownGuard);
  bool isOwnGuard(std::string_view name, bool ifdef);
  void nextHeaderBranch(const struct HeaderLine& line);
  void closeHeaderConditional();
  Truth headerTruth(const struct HeaderLine& line, bool& byDefault);
  void scanHeaderAsFile(const struct HeaderText& text, int chain);
  void noteReaches();
  std::pair<std::size_t, std::size_t> scanRank() const { return {config_.rank, config_.variant}; }
  void noteMissingHeader(const std::string& name);
  void settleHasInclude(std::vector<PpToken>& tokens) const;
  bool onFirstSteps();
  bool takeSymbolStep(std::string_view name, const MacroState& state);
  bool takeIncludeStep(const std::string& path, int chain, bool system);
  void adoptStep(std::shared_ptr<const struct PrefixNode> node);
  std::shared_ptr<const struct PrefixNode> stepNode(bool wholeCopy);
  void meetHeader(const std::string& path);
  void setHeaderSymbol(std::string_view name, const MacroState& symbol);
  void beginRecording(std::uint32_t start);
  void endRecording(struct HeaderRun run, std::uint32_t end, std::size_t base);
  const struct HeaderEffect* replayEffect(const struct HeaderRun& run, bool& worthRecording, bool& first);

  CLexer lexer_;                          // the tokens
  const CScanConfig& config_;             // the symbols and captions
  FileFacts& facts_;                      // where the facts go
  MacroTable macros_;                     // the symbols as far as the scan knows them
  MacroTable defaults_;                   // the symbols of a plain build: GCC's, then the default path
  bool defaultsFollow_ = false;           // a build's scan whose plain build's view is `macros_` itself, so far
  SymbolWatch* watch_ = nullptr;          // where the symbols looked up are noted, if anywhere (`watchLookups`)
  std::vector<Block> blocks_;             // open braces
  std::vector<Token> decl_;               // the file-level declaration being read
  int declParens_ = 0;                    // open parentheses in `decl_`
  std::vector<int> transparent_;          // `declParens_` where each open call of an identity macro began
  bool invocationEndsInHead_ = false;     // `decl_` is a macro call whose expansion ends in a head
  OldStyleHead oldStyle_;                 // an old-style head whose declarations may follow
  std::unordered_map<const char*, std::string_view> namedBefore_;  // names of the declaration read so far as the build had them before a #define or #undef changed them, by their bytes
  std::uint32_t current_ = kNone;         // the function whose body is being read
  std::vector<Alternative> alternatives_; // heads of other branches for the next "{"
  std::vector<std::uint32_t> sharing_;    // more definitions the current body belongs to
  std::vector<Paren> parens_;             // open parentheses of the body
  Statement statement_;                   // the body's statement so far
  Tentative tentative_;                   // a call that may turn out a declaration
  Token prev_, prev2_;                    // the two tokens before the current one in a body
  Paren closed_;                          // the group that the last ")" closed
  Token macroName_;                       // with a build: the function-like macro whose arguments are kept
  std::vector<PpToken> macroTokens_;      // its arguments' tokens, so far
  std::size_t macroDepth_ = 0;            // the depth of its group (0: none being kept)
  bool macroClosed_ = false;              // its group closed just before this token
  bool macroExpands_ = false;             // its expansion makes calls of its own (all its tokens are kept)
  std::unordered_map<std::string, MadeCalls> makesCalls_;  // by macro
  std::unordered_map<const char*, bool> callingBodies_;  // object-like replacements of a build: whether they call
  std::unordered_map<const char*, std::string_view> designatedBy_;  // object-like replacements of a build: `designatedFunction`
  std::vector<Token> brackets_;           // for each open "[", the name before it
  Token closedBracket_;                   // the name before the "[" that the last "]" closed
  bool asmNext_ = false;                  // "asm" came: its group holds no calls
  std::vector<std::string_view> pointers_;   // names declared as pointers to functions here
  std::vector<Conditional> conditionals_;    // open conditionals, outermost first
  bool outOfDefault_ = false;                // some open branch is left out by default
  std::size_t outOfDefaultLevels_ = 0;       // open conditionals whose branch is left out by default
  std::vector<Token> directive_;             // the tokens of the directive being read
  /// Where a `#line` directive numbers the lines after it.
  struct LineShift {
    std::uint32_t from = 0;      // the first line it numbers
    std::uint32_t number = 0;    // the number it gives that line
    std::uint32_t file = 0;      // 0: this file; else 1 + its place in `lineFiles_`; kUnknownFile: not found
  };
  static constexpr std::uint32_t kUnknownFile = UINT32_MAX;
  std::vector<LineShift> lineShifts_;        // in order, when places follow them
  std::vector<std::string> lineFiles_;       // the other files they name, as files are named
  std::unordered_map<std::string, std::uint32_t> lineFileOf_;  // by name as written: its `LineShift::file`
  std::vector<std::vector<CallSite>> callsOf_;  // the call sites of each definition
  std::vector<std::uint32_t> defaultPlaces_;    // by definition: its places a plain build compiles
  std::unordered_map<std::string_view, std::uint32_t> functions_;  // definition of each function name
  std::unordered_map<std::string_view, std::uint32_t> macroDefs_;  // definition of each macro name
  std::unordered_map<std::string_view, std::uint32_t> names_;      // index of each callee name
  std::unordered_set<std::string_view> objectMacros_;  // object-like macros whose uses are calls
  std::unordered_map<std::string, std::pair<const char*, std::uint64_t>> unusedArguments_;  // by macro: its replacement, its unused parameters
  std::deque<std::string> kept_;          // names made by expansions, which the maps above point into
  int nesting_ = 0;                       // expansions around this scan
  std::shared_ptr<IncludeState> includes_;  // a file of a build: what its includes did so far
};

}  // namespace quenwick
