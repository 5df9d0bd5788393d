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
  UsageDescription,  ///< Usage, first piece: what the program does and its synopsis.
  UsageCommands,  ///< Usage, second piece: the two ways to name sources.
  UsageOptions,  ///< Usage, third piece: the listed options.
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
  GraphLinkNeedsHtml,  ///< --link with a format other than html.
  GraphLinkBadField,  ///< A --link template with an unknown field.
  GraphLinkControl,  ///< A --link template with a control character.
  GraphLinkScript,  ///< A --link template whose address would run a script.
  CScanNotText,  ///< A file the C scan leaves out: it holds NUL bytes.
  CScanTooLarge,  ///< A file the C scan leaves out: larger than any C source.
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
  LspUsage,  ///< quenwick-lsp's --help text.
  LspVersion,  ///< quenwick-lsp's --version text.
  LspUnknownOption,  ///< An argument quenwick-lsp does not know.
  LspHeaderTooLong,  ///< A header block over the limit (its size).
  LspLengthNotNumber,  ///< A Content-Length that is no number.
  LspLengthTwice,  ///< Two Content-Length headers that differ.
  LspLengthMissing,  ///< A header block without Content-Length.
  LspBadHeader,  ///< A header block that was rejected, and why.
  LspMessageTooLarge,  ///< A message over the size limit, skipped.
  LspParseError,  ///< A body that is no JSON text.
  LspTooDeep,  ///< A body nested too deeply.
  LspNotObject,  ///< A message that is no object.
  LspBadId,  ///< An id that is no number or string.
  LspBadVersion,  ///< A message without jsonrpc 2.0.
  LspNoMethod,  ///< A message with neither method nor result.
  LspMethodNotString,  ///< A method that is no string.
  LspBadParams,  ///< Params that are no object or array.
  LspUnknownMethod,  ///< A request the server does not answer.
  LspNotInitialized,  ///< A request before initialize.
  LspAlreadyInitialized,  ///< A second initialize.
  LspAfterShutdown,  ///< A request after shutdown.
  LspParamMissing,  ///< A parameter that is missing.
  LspParamType,  ///< A parameter of the wrong type.
  LspUnknownDocument,  ///< A document the server does not know.
  LspCancelled,  ///< A request cancelled by the client.
  LspInternalError,  ///< A request the server failed on.
  LspOutOfMemory,  ///< Memory ran out while answering.
  LspScanTitle,  ///< The title of the scan's progress.
  LspScanProgress,  ///< The scan's progress message.
  LspScanDone,  ///< The log line at the end of the first scan.
  LspFileTooLarge,  ///< A file left out for its size.
  LspLinkOutside,  ///< A link left out as it leads out of the workspace.
  LspDatabaseRead,  ///< A compilation database read.
  LspDatabaseError,  ///< A compilation database that cannot be read.
  LspCompilerNotAllowed,  ///< A compiler that the queryDriver option does not allow.
  LspCompilerFailed,  ///< A compiler that did not give its macros.
  LspCompilerNotFound,  ///< A compiler that is not found.
  LspBadOption,  ///< An initialization option that is ignored.
  LspBadFlag,  ///< A flag that is no -D or -U.
  LspTableMissing,  ///< A system-function table that cannot be read.
  LspFileUnreadable,  ///< A file that cannot be read.
  LspNotText,  ///< A file that is no C text.
  LspNoWorkspace,  ///< No workspace folder was given.
  LspWriteFailed,  ///< Standard output cannot be written.
  LspHoverCounts,  ///< Hover: the callers and callees.
  LspHoverOneOf,  ///< Hover: one of several definitions.
  LspWordStatic,  ///< The word for a static definition.
  LspWordMacro,  ///< The word for a macro definition.
  LspNotAList,  ///< An option value that must be a list of strings.
  LspNotAString,  ///< An option value that must be a string.
  LspNotFound,  ///< A path that does not exist.
  LspUnknownKey,  ///< An option name the server does not know.
  LspTypeObject,  ///< The type word "an object" of a parameter message.
  LspTypeString,  ///< The type word "a string".
  LspTypeNumber,  ///< The type word for a whole number of 0 or more.
  LspTypeArray,  ///< The type word "an array".
  LspTypeBoolean,  ///< The type word "a boolean".
  LspTableTooLarge,  ///< A table that is no regular file of a sensible size.
  DatabaseProgram,  ///< The program's name before a message on a database.
  ProblemHeaderMissing,  ///< -V: a header of a build that is not found.
  CScanSummaryHeaders,  ///< The C scan's counts, with the headers not found.
  CScanHeaderReached,  ///< -V: a header scanned in the configuration of a file including it.
  CScanHeaderReachedAgain,  ///< -V: the same header scanned again for an includer that reads it otherwise.
  DatabaseUnreadable,  ///< A path that holds no readable database.
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
