// Every text of the program's own: banner, usage, messages and the defaults of the
// settings. Each is held twice: as code page 932 (Shift_JIS) bytes, the program's
// normal output, and as UTF-8, chosen by the environment (see `selectTextEncoding`).
#pragma once

#include <string_view>

namespace quenwick {

/// The texts of the program.
// clang-format off
enum class Text {
  BannerTitle,  ///< The title line of the banner.
  BannerNotice,  ///< The second banner line.
  UsageDescription,  ///< Usage, part 1: what the program does and its synopsis.
  UsageCommands,  ///< Usage, part 2: the two ways to name sources.
  UsageOptions,  ///< Usage, part 3: the listed options.
  ExclusionRead,  ///< -E: the exclusion file was read.
  ExclusionMissing,  ///< -E: the exclusion file cannot be opened.
  UnknownOption,  ///< An option letter the program does not know.
  ResponseEcho,  ///< A response file was opened.
  ResponseMissing,  ///< A response file cannot be opened.
  BraceImbalance,  ///< Braces unbalanced at the end of a file.
  CondImbalance,  ///< Conditionals still open at the end of a file.
  HeapFull,  ///< Memory is exhausted.
  SystemTableMissing,  ///< A system-function table cannot be opened.
  TreeInfoUnopenable,  ///< The tree information file cannot be opened.
  TreeInfoWriteFailed,  ///< Writing the tree information file failed.
  StdoutWriteFailed,  ///< Writing standard output failed.
  UnknownConfig,  ///< A configuration line whose key is unknown.
  DefaultRecursion,  ///< Default recursion marker.
  DefaultMulti,  ///< Default several-definitions marker.
  DefaultExpanded,  ///< Default already-expanded marker.
  DefaultCaption,  ///< Default caption keyword.
  SourceMissing,  ///< A source file cannot be opened.
  NoSourceBelow,  ///< A directory named as a source holds no source file.
  VerboseFileName,  ///< -V: a source file was opened.
  ElseUnmatched,  ///< #else with no open conditional.
  EndifExcess,  ///< #endif with no open conditional.
  UnknownDirective,  ///< A directive name the program does not know.
  ElifValue,  ///< Every #elif: the new value of its level (standard output).
  VerboseDeclaration,  ///< -V: a declaration, its line plus one and its name.
  VerboseDefinition,  ///< -V: a definition and its line.
  VerboseBodyStart,  ///< -V: the name of a definition, opening its callees.
  VerboseCallee,  ///< -V: a callee added.
  VerboseBodyEnd,  ///< -V: the end of a body.
  LauncherNoSelf,  ///< The installed command cannot find its own path.
  LauncherCannotRun,  ///< The installed command cannot start the program.
  GraphUsage,  ///< quenwick-graph's --help text.
  GraphVersion,  ///< quenwick-graph's --version text.
  GraphUnknownOption,  ///< An option quenwick-graph does not know.
  GraphMissingValue,  ///< An option given without its value.
  GraphUnexpectedValue,  ///< A value given to an option that takes none.
  GraphBadDepth,  ///< --depth that is not a number.
  GraphBadChoice,  ///< A value outside an option's choices.
  GraphNoArgument,  ///< quenwick-graph without arguments.
  GraphLateOption,  ///< A long option after the arguments.
  GraphBadCombination,  ///< Options that cannot go together.
  GraphUndefinedName,  ///< A queried name that is defined nowhere.
  GraphUndefinedInFile,  ///< A queried name not defined in the file given.
  GraphCannotCreate,  ///< The output file cannot be created.
  GraphWriteFailed,  ///< Writing the output failed.
  CScanNotText,  ///< A file the C scan leaves out: it holds NUL bytes.
  CScanSummary,  ///< The C scan's counts of what it did not understand.
  CScanProblem,  ///< -V: one place the C scan did not understand.
  ProblemUndecided,  ///< -V: a conditional left undecided.
  ProblemUnclosedBrace,  ///< -V: a brace still open at the end.
  ProblemExcessBrace,  ///< -V: a closing brace with none open.
  ProblemUnclosedCondition,  ///< -V: a conditional still open at the end.
  ProblemExcessCondition,  ///< -V: #elif, #else or #endif with no #if.
  ProblemUnclosedComment,  ///< -V: a comment running to the end of the file.
  ProblemUnclosedLiteral,  ///< -V: a literal running to the end of its line.
  ProblemTooDeep,  ///< -V: nesting deeper than the scan follows.
  ProblemSkipped,  ///< -V: a directive passed over.
  ProblemHeaderMissing,  ///< -V: a header of a build that is not found.
  CScanSummaryHeaders,  ///< The C scan's counts, with the headers not found.
  CScanHeaderReached,  ///< -V: a header scanned in the configuration of a file including it.
  DatabaseUnreadable,  ///< --compile-commands names no readable database.
  DatabasePlace,  ///< The start of a message on a place in the database.
  DatabaseNotJson,  ///< The database is no valid JSON.
  DatabaseNotList,  ///< The database is no JSON array.
  DatabaseNotObject,  ///< An entry is no JSON object.
  DatabaseNoFile,  ///< An entry without "file".
  DatabaseBadField,  ///< An entry's field of the wrong type.
  DatabaseNoCommand,  ///< An entry with neither "arguments" nor "command".
  DatabaseBadCommand,  ///< An entry's command that cannot be split.
  CompilerNotAllowed,  ///< A compiler that --query-driver does not allow.
  CompilerFailed,  ///< A compiler that did not give its macros.
  CompilerNotFound,  ///< A compiler that is not found.
  Count
};
// clang-format on

/// The two encodings the program's own texts come in.
enum class TextEncoding { Cp932, Utf8 };

/// The text `id` in the encoding chosen at start-up.
std::string_view text(Text id);
/// The same text as a NUL-terminated format for formatted output (every text is one).
inline const char* textFormat(Text id) {
  return text(id).data();
}
/// The text `id` in the given encoding.
std::string_view textIn(Text id, TextEncoding encoding);

/// Chooses the encoding from the value of QUENWICK_ENCODING: "UTF-8" or "utf8"
/// (any letter case) selects UTF-8; no value or any other value keeps code page 932.
void selectTextEncoding(const char* environmentValue);
/// The encoding in use.
TextEncoding textEncoding();

}  // namespace quenwick
