#include "config/texts.h"

#include <cstddef>

#include "platform/ascii.h"

namespace quenwick {

namespace {

struct TextForms {
  std::string_view utf8;   // readable form, as written here
  std::string_view cp932;  // the same text as code page 932 bytes
};

// Texts in ASCII alone are the same in both encodings.
constexpr std::string_view kGraphUsage =
    "Usage: quenwick-graph [OPTION]... [--] ARGUMENT...\n"
    "Reads C sources and answers questions about the calls: the tree below any\n"
    "function, the callers of a function, the paths to a function, the places a\n"
    "function is called, lists of functions, and the graph in Graphviz or JSON\n"
    "form or as a page to browse.\n"
    "\n"
    "ARGUMENT: source files, directories (every *.c and *.h file below them;\n"
    "*.c only under --scan=quenwick), @response files and quenwick's own options\n"
    "(-N -P -M -C -D -E -T -V, and -U under the C scan), read as quenwick reads\n"
    "them; an argument starting with \"/\" is a path. Without a query option the\n"
    "text output is the call tree, drawn as quenwick draws it.\n"
    "\n"
    "Scan:\n"
    "  --scan=c               the default: reads C as C (comments, literals,\n"
    "                         #define bodies, #if expressions evaluated, macros as\n"
    "                         nodes, calls through pointers kept apart);\n"
    "                         -DNAME[=VALUE] and -UNAME in order; -V lists what\n"
    "                         was not understood\n"
    "  --scan=quenwick        quenwick's own scan: with no query the text output\n"
    "                         is quenwick's tree, byte for byte\n"
    "Queries:\n"
    "  --root=NAME[@FILE]     the tree below NAME (repeatable); FILE picks one of\n"
    "                         several definitions\n"
    "  --callers=NAME[@FILE]  the tree of NAME's callers, and theirs (repeatable)\n"
    "  --target=NAME[@FILE]   only the branches that lead to NAME (repeatable)\n"
    "  --depth=N              nothing deeper than N (the root is depth 0)\n"
    "  --list=KIND            one line per function instead of a tree: roots,\n"
    "                         leaves, undefined, recursive or all\n"
    "  --sites=NAME[@FILE]    every place NAME is called, one line each as\n"
    "                         FILE:LINE:COLUMN: CALLER (repeatable; C scan only)\n"
    "Output:\n"
    "  --format=FORMAT        text (the default), dot, json or html (one page\n"
    "                         that searches and browses the functions)\n"
    "  --cluster              with dot: group the functions by file\n"
    "  --link=TEMPLATE        with html: every place links to TEMPLATE with its\n"
    "                         {file}, {line}, {column} and {path} (the absolute\n"
    "                         path) filled in\n"
    "  --output=FILE          write to FILE, only once the run has succeeded\n"
    "  --keep-going           go on past a source that cannot be read or a\n"
    "                         directory without a source file (still reported)\n"
    "Builds:\n"
    "  --compile-commands=FILE\n"
    "                         scan the files of a compile_commands.json (FILE, or\n"
    "                         a folder that holds one) as the build compiles them:\n"
    "                         each with its -D, -U and -include, and #include\n"
    "                         followed with its -I for the headers' macros; an\n"
    "                         argument it does not list is scanned unconfigured\n"
    "  --query-driver=GLOB[,GLOB...]\n"
    "                         the compilers that may be run (with -dM -E only) for\n"
    "                         their predefined macros; by default /usr/bin/gcc*,\n"
    "                         /usr/bin/cc, /usr/bin/clang* and /usr/bin/*-gcc*\n"
    "  --help                 show this help and exit\n"
    "  --version              show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when a source could not be read (without\n"
    "--keep-going), the run stopped early or its output could not be written, 2 for\n"
    "a wrong option or a NAME that is defined nowhere.\n";

constexpr std::string_view kLspUsage =
    "Usage: quenwick-lsp [--help | --version]\n"
    "A language server (Language Server Protocol 3.17) on standard input and\n"
    "output: the call hierarchy, definitions, references, hover and symbols of\n"
    "the C files below the client's workspace folders, from quenwick's C scan.\n"
    "It needs no build and no compilation database. An editor starts it; see\n"
    "man quenwick-lsp for the set-up of each editor and the initialization\n"
    "options.\n"
    "\n"
    "Exit status: 0 after shutdown and exit, 1 when the input ends or exit comes\n"
    "without shutdown.\n";

// One row per `Text`, in the same order. The code page 932 bytes are checked
// against an independent conversion of the UTF-8 form by the unit tests.
// clang-format off
constexpr TextForms kTexts[] = {
    /* BannerTitle */ {"quenwick Version 14.42 \n", "quenwick Version 14.42 \n"},
    /* BannerNotice */ {" Lists the function definitions of C sources as a call tree.\n", " Lists the function definitions of C sources as a call tree.\n"},
    /* UsageDescription */
    {"\nＣ言語のソースプログラムから関数名を拾いだし、それをツリー状に表示させます。\n\n※ 使用方法\nquenwick.exe [-options] file.c ... @files ...\n\n",
     "\n\202b\214\276\214\352\202\314\203\\\201[\203X\203v\203\215\203O\203\211\203\200\202\251\202\347\212\326\220\224\226\274\202\360\217E\202\242\202\276\202\265\201A\202\273\202\352\202\360\203c\203\212\201[\217\363\202\311\225\\\216\246\202\263\202\271\202\334\202\267\201B\n\n\201\246 \216g\227p\225\373\226@\nquenwick.exe [-options] file.c ... @files ...\n\n"},
    /* UsageCommands */
    {" C>quenwick file.c ...    ソースファイルを直接指定（ワイルドカード対応）\n C>quenwick @files ...    ソースファイル名,オプションを記述したファイルを指定\n\n",
     " C>quenwick file.c ...    \203\\\201[\203X\203t\203@\203C\203\213\202\360\222\274\220\332\216w\222\350\201i\203\217\203C\203\213\203h\203J\201[\203h\221\316\211\236\201j\n C>quenwick @files ...    \203\\\201[\203X\203t\203@\203C\203\213\226\274,\203I\203v\203V\203\207\203\223\202\360\213L\217q\202\265\202\275\203t\203@\203C\203\213\202\360\216w\222\350\n\n"},
    /* UsageOptions */
    {"   options \n   -N            実体のない関数は表示しない（デフォルトは'(null)'と表示）\n   -P            すでに表示した枝も展開する（デフォルトは２度目以降展開しない）\n   -Eexclude     除外関数ファイルの指定\n   -Ddefine      シンボルdefineを定義\n   -Ckeyword     関数説明のキーワードを指定(-Cのみで非表示に)\n\n",
     "   options \n   -N            \216\300\221\314\202\314\202\310\202\242\212\326\220\224\202\315\225\\\216\246\202\265\202\310\202\242\201i\203f\203t\203H\203\213\203g\202\315'(null)'\202\306\225\\\216\246\201j\n   -P            \202\267\202\305\202\311\225\\\216\246\202\265\202\275\216}\202\340\223W\212J\202\267\202\351\201i\203f\203t\203H\203\213\203g\202\315\202Q\223x\226\332\210\310\215~\223W\212J\202\265\202\310\202\242\201j\n   -Eexclude     \217\234\212O\212\326\220\224\203t\203@\203C\203\213\202\314\216w\222\350\n   -Ddefine      \203V\203\223\203{\203\213define\202\360\222\350\213`\n   -Ckeyword     \212\326\220\224\220\340\226\276\202\314\203L\201[\203\217\201[\203h\202\360\216w\222\350(-C\202\314\202\335\202\305\224\361\225\\\216\246\202\311)\n\n"},
    /* ExclusionRead */ {" %s read.\n", " %s read.\n"},
    /* ExclusionMissing */
    {"除外関数ファイル %s がないよ！\n",
     "\217\234\212O\212\326\220\224\203t\203@\203C\203\213 %s \202\252\202\310\202\242\202\346\201I\n"},
    /* UnknownOption */ {"unknown option '-%c' \n", "unknown option '-%c' \n"},
    /* ResponseEcho */ {"%s\n", "%s\n"},
    /* ResponseMissing */
    {"%s って名前のファイルはないぞ！ボケ茄子！！\n",
     "%s \202\301\202\304\226\274\221O\202\314\203t\203@\203C\203\213\202\315\202\310\202\242\202\274\201I\203{\203P\211\326\216q\201I\201I\n"},
    /* BraceImbalance */
    {"     { } の対応がとれていません(%+d)\n",
     "     { } \202\314\221\316\211\236\202\252\202\306\202\352\202\304\202\242\202\334\202\271\202\361(%+d)\n"},
    /* CondImbalance */
    {"     #で始まるプリプロの対応がとれていません(%+d)\n",
     "     #\202\305\216n\202\334\202\351\203v\203\212\203v\203\215\202\314\221\316\211\236\202\252\202\306\202\352\202\304\202\242\202\334\202\271\202\361(%+d)\n"},
    /* HeapFull */ {"\n heep full !\n", "\n heep full !\n"},
    /* SystemTableMissing */
    {"システム関数名のファイル %s がない！\n",
     "\203V\203X\203e\203\200\212\326\220\224\226\274\202\314\203t\203@\203C\203\213 %s \202\252\202\310\202\242\201I\n"},
    /* TreeInfoUnopenable */
    {"ツリー情報をファイル'%s'に出力できませんでした。\n",
     "\203c\203\212\201[\217\356\225\361\202\360\203t\203@\203C\203\213'%s'\202\311\217o\227\315\202\305\202\253\202\334\202\271\202\361\202\305\202\265\202\275\201B\n"},
    /* TreeInfoWriteFailed */
    {"ツリー情報をファイル'%s'に書き込めませんでした。\n",
     "\203c\203\212\201[\217\356\225\361\202\360\203t\203@\203C\203\213'%s'\202\311\217\221\202\253\215\236\202\337\202\334\202\271\202\361\202\305\202\265\202\275\201B\n"},
    /* StdoutWriteFailed */
    {"標準出力に書き込めませんでした。\n",
     "\225W\217\200\217o\227\315\202\311\217\221\202\253\215\236\202\337\202\334\202\271\202\361\202\305\202\265\202\275\201B\n"},
    /* UnknownConfig */ {"unknown configration '%s' \n\a", "unknown configration '%s' \n\a"},
    /* DefaultRecursion */
    {"[再帰]",
     "[\215\304\213A]"},
    /* DefaultMulti */
    {" 複数存在",
     " \225\241\220\224\221\266\215\335"},
    /* DefaultExpanded */
    {" ･･･",
     " \245\245\245"},
    /* DefaultCaption */
    {"機能:",
     "\213@\224\\:"},
    /* SourceMissing */
    {" ファイルが見つかりません。",
     " \203t\203@\203C\203\213\202\252\214\251\202\302\202\251\202\350\202\334\202\271\202\361\201B"},
    /* NoSourceBelow */
    {" ソースファイルが見つかりません。",
     " \203\\\201[\203X\203t\203@\203C\203\213\202\252\214\251\202\302\202\251\202\350\202\334\202\271\202\361\201B"},
    /* VerboseFileName */
    {"\nファイル名 %s\n",
     "\n\203t\203@\203C\203\213\226\274 %s\n"},
    /* ElseUnmatched */
    {"%d #else が現れた\n",
     "%d #else \202\252\214\273\202\352\202\275\n"},
    /* EndifExcess */
    {"%d #endif が多い！\n",
     "%d #endif \202\252\221\275\202\242\201I\n"},
    /* UnknownDirective */
    {"%d 未知のディレクティブです。無視します。#%s\n",
     "%d \226\242\222m\202\314\203f\203B\203\214\203N\203e\203B\203u\202\305\202\267\201B\226\263\216\213\202\265\202\334\202\267\201B#%s\n"},
    /* ElifValue */ {"#elif %d\n", "#elif %d\n"},
    /* VerboseDeclaration */ {"%s %lld\n%s();\n", "%s %lld\n%s();\n"},
    /* VerboseDefinition */ {"%s %d\n", "%s %d\n"},
    /* VerboseBodyStart */ {"%s()\n{\n", "%s()\n{\n"},
    /* VerboseCallee */ {"    %s();\n", "    %s();\n"},
    /* VerboseBodyEnd */ {"}\n\n", "}\n\n"},
    /* LauncherNoSelf */
    {"%s: cannot find the installed program: /proc/self/exe: %s\n",
     "%s: cannot find the installed program: /proc/self/exe: %s\n"},
    /* LauncherCannotRun */ {"%s: cannot run %s: %s\n", "%s: cannot run %s: %s\n"},
    /* GraphUsage */ {kGraphUsage, kGraphUsage},
    /* GraphVersion */
    {"quenwick-graph 14.42\n",
     "quenwick-graph 14.42\n"},
    /* GraphUnknownOption */
    {"quenwick-graph: unknown option '%s' (see --help)\n",
     "quenwick-graph: unknown option '%s' (see --help)\n"},
    /* GraphMissingValue */
    {"quenwick-graph: option '--%s' needs a value\n",
     "quenwick-graph: option '--%s' needs a value\n"},
    /* GraphUnexpectedValue */
    {"quenwick-graph: option '--%s' takes no value\n",
     "quenwick-graph: option '--%s' takes no value\n"},
    /* GraphBadDepth */
    {"quenwick-graph: --depth needs a whole number of 0 or more, not '%s'\n",
     "quenwick-graph: --depth needs a whole number of 0 or more, not '%s'\n"},
    /* GraphBadChoice */
    {"quenwick-graph: --%s must be one of %s, not '%s'\n",
     "quenwick-graph: --%s must be one of %s, not '%s'\n"},
    /* GraphNoArgument */
    {"quenwick-graph: no source file given (see --help)\n",
     "quenwick-graph: no source file given (see --help)\n"},
    /* GraphLateOption */
    {"quenwick-graph: option '%s' must come before the arguments (after '--' it would name a file)\n",
     "quenwick-graph: option '%s' must come before the arguments (after '--' it would name a file)\n"},
    /* GraphBadCombination */
    {"quenwick-graph: %s cannot be combined with %s\n",
     "quenwick-graph: %s cannot be combined with %s\n"},
    /* GraphUndefinedName */
    {"quenwick-graph: --%s: no function '%s' is defined\n",
     "quenwick-graph: --%s: no function '%s' is defined\n"},
    /* GraphUndefinedInFile */
    {"quenwick-graph: --%s: no function '%s' is defined in '%s'\n",
     "quenwick-graph: --%s: no function '%s' is defined in '%s'\n"},
    /* GraphCannotCreate */
    {"quenwick-graph: cannot write '%s': %s\n",
     "quenwick-graph: cannot write '%s': %s\n"},
    /* GraphWriteFailed */
    {"quenwick-graph: writing '%s' failed\n",
     "quenwick-graph: writing '%s' failed\n"},
    /* GraphLinkNeedsHtml */
    {"quenwick-graph: --link goes with --format=html only\n",
     "quenwick-graph: --link goes with --format=html only\n"},
    /* GraphLinkBadField */
    {"quenwick-graph: --link: unknown field '%s' (the fields are {file}, {line}, {column} and {path})\n",
     "quenwick-graph: --link: unknown field '%s' (the fields are {file}, {line}, {column} and {path})\n"},
    /* GraphLinkControl */
    {"quenwick-graph: --link: the template holds a control character\n",
     "quenwick-graph: --link: the template holds a control character\n"},
    /* GraphLinkScript */
    {"quenwick-graph: --link: a '%s' address would run in the page; give a web or editor address\n",
     "quenwick-graph: --link: a '%s' address would run in the page; give a web or editor address\n"},
    /* CScanNotText */
    {"quenwick-graph: '%s' holds NUL bytes, so it is no C source: left out\n",
     "quenwick-graph: '%s' holds NUL bytes, so it is no C source: left out\n"},
    /* CScanTooLarge */
    {"quenwick-graph: '%s' is over %llu MiB, so it is no C source: left out\n",
     "quenwick-graph: '%s' is over %llu MiB, so it is no C source: left out\n"},
    /* CScanSummary */
    {"quenwick-graph: %llu files did not balance, %llu conditionals were left undecided (-V lists them)\n",
     "quenwick-graph: %llu files did not balance, %llu conditionals were left undecided (-V lists them)\n"},
    /* CScanProblem */ {"%s:%u:%u: %s%s\n", "%s:%u:%u: %s%s\n"},
    /* ProblemUndecided */
    {"undecided, every branch scanned: ", "undecided, every branch scanned: "},
    /* ProblemUnclosedBrace */ {"unbalanced: '{' never closed", "unbalanced: '{' never closed"},
    /* ProblemExcessBrace */ {"unbalanced: '}' with no '{' open", "unbalanced: '}' with no '{' open"},
    /* ProblemUnclosedCondition */
    {"unbalanced: #if never closed", "unbalanced: #if never closed"},
    /* ProblemExcessCondition */
    {"unbalanced: no #if open for ", "unbalanced: no #if open for "},
    /* ProblemUnclosedComment */
    {"comment runs to the end of the file", "comment runs to the end of the file"},
    /* ProblemUnclosedLiteral */
    {"literal runs to the end of its line", "literal runs to the end of its line"},
    /* ProblemTooDeep */ {"nested too deep: ", "nested too deep: "},
    /* ProblemSkipped */ {"directive passed over: #", "directive passed over: #"},
    /* LspUsage */ {kLspUsage, kLspUsage},
    /* LspVersion */ {"quenwick-lsp 14.42\n", "quenwick-lsp 14.42\n"},
    /* LspUnknownOption */ {"quenwick-lsp: unknown argument '%s' (see --help)\n", "quenwick-lsp: unknown argument '%s' (see --help)\n"},
    /* LspHeaderTooLong */ {"a header block over %zu bytes", "a header block over %zu bytes"},
    /* LspLengthNotNumber */ {"Content-Length is not a number of bytes", "Content-Length is not a number of bytes"},
    /* LspLengthTwice */ {"two different Content-Length headers", "two different Content-Length headers"},
    /* LspLengthMissing */ {"no Content-Length header", "no Content-Length header"},
    /* LspBadHeader */ {"a message header was rejected (%s); reading goes on at the next Content-Length", "a message header was rejected (%s); reading goes on at the next Content-Length"},
    /* LspMessageTooLarge */ {"a message of %zu bytes is over the limit of %zu bytes and was skipped", "a message of %zu bytes is over the limit of %zu bytes and was skipped"},
    /* LspParseError */ {"the message is no JSON text", "the message is no JSON text"},
    /* LspTooDeep */ {"the message nests deeper than %zu levels", "the message nests deeper than %zu levels"},
    /* LspNotObject */ {"the message is no JSON object", "the message is no JSON object"},
    /* LspBadId */ {"the id is no number or string", "the id is no number or string"},
    /* LspBadVersion */ {"\"jsonrpc\" must be \"2.0\"", "\"jsonrpc\" must be \"2.0\""},
    /* LspNoMethod */ {"the message has no method", "the message has no method"},
    /* LspMethodNotString */ {"the method is no string", "the method is no string"},
    /* LspBadParams */ {"the params are no object or array", "the params are no object or array"},
    /* LspUnknownMethod */ {"unknown method '%s'", "unknown method '%s'"},
    /* LspNotInitialized */ {"the server is not initialized yet", "the server is not initialized yet"},
    /* LspAlreadyInitialized */ {"initialize was already received", "initialize was already received"},
    /* LspAfterShutdown */ {"the server is shutting down", "the server is shutting down"},
    /* LspParamMissing */ {"parameter '%s' is missing", "parameter '%s' is missing"},
    /* LspParamType */ {"parameter '%s' must be %s", "parameter '%s' must be %s"},
    /* LspUnknownDocument */ {"unknown document '%s': it is neither open nor in a workspace folder", "unknown document '%s': it is neither open nor in a workspace folder"},
    /* LspCancelled */ {"the request was cancelled", "the request was cancelled"},
    /* LspInternalError */ {"internal error: %s", "internal error: %s"},
    /* LspOutOfMemory */ {"out of memory", "out of memory"},
    /* LspScanTitle */ {"Scanning C files", "Scanning C files"},
    /* LspScanProgress */ {"%zu of %zu files", "%zu of %zu files"},
    /* LspScanDone */ {"scanned %zu files in %.2f s: %zu definitions, %zu call sites", "scanned %zu files in %.2f s: %zu definitions, %zu call sites"},
    /* LspFileTooLarge */ {"left out %s: over the limit of %llu bytes", "left out %s: over the limit of %llu bytes"},
    /* LspLinkOutside */ {"left out %s: a link that leads out of the workspace", "left out %s: a link that leads out of the workspace"},
    /* LspDatabaseRead */ {"%s read: %zu files are scanned as their build compiles them", "%s read: %zu files are scanned as their build compiles them"},
    /* LspDatabaseError */ {"the compilation database is not read: %s; its files are scanned unconfigured", "the compilation database is not read: %s; its files are scanned unconfigured"},
    /* LspCompilerNotAllowed */ {"the compiler %s is not run for its predefined macros: GCC's built-in set stands in (the initialization option \"queryDriver\": [\"%s\"] allows it)", "the compiler %s is not run for its predefined macros: GCC's built-in set stands in (the initialization option \"queryDriver\": [\"%s\"] allows it)"},
    /* LspCompilerFailed */ {"the compiler %s did not give its predefined macros: GCC's built-in set stands in", "the compiler %s did not give its predefined macros: GCC's built-in set stands in"},
    /* LspCompilerNotFound */ {"the compiler %s is not found: GCC's built-in set stands in for its predefined macros", "the compiler %s is not found: GCC's built-in set stands in for its predefined macros"},
    /* LspBadOption */ {"initialization option '%s' is ignored: %s", "initialization option '%s' is ignored: %s"},
    /* LspBadFlag */ {"'%s' is no -D or -U flag", "'%s' is no -D or -U flag"},
    /* LspTableMissing */ {"the system-function table %s cannot be read", "the system-function table %s cannot be read"},
    /* LspFileUnreadable */ {"cannot read %s", "cannot read %s"},
    /* LspNotText */ {"left out %s: it holds NUL bytes and is no C text", "left out %s: it holds NUL bytes and is no C text"},
    /* LspNoWorkspace */ {"no workspace folder: only open documents are indexed", "no workspace folder: only open documents are indexed"},
    /* LspWriteFailed */ {"quenwick-lsp: writing standard output failed\n", "quenwick-lsp: writing standard output failed\n"},
    /* LspHoverCounts */ {"%zu callers, %zu callees", "%zu callers, %zu callees"},
    /* LspHoverOneOf */ {"definition %zu of %zu", "definition %zu of %zu"},
    /* LspWordStatic */ {"static", "static"},
    /* LspWordMacro */ {"macro", "macro"},
    /* LspNotAList */ {"it must be a list of strings", "it must be a list of strings"},
    /* LspNotAString */ {"it must be a string", "it must be a string"},
    /* LspNotFound */ {"%s does not exist", "%s does not exist"},
    /* LspUnknownKey */ {"no such option", "no such option"},
    /* LspTypeObject */ {"an object", "an object"},
    /* LspTypeString */ {"a string", "a string"},
    /* LspTypeNumber */ {"a whole number of 0 or more", "a whole number of 0 or more"},
    /* LspTypeArray */ {"an array", "an array"},
    /* LspTypeBoolean */ {"a boolean", "a boolean"},
    /* LspTableTooLarge */ {"the system-function table %s is left out: it is no regular file of at most 16 MiB", "the system-function table %s is left out: it is no regular file of at most 16 MiB"},
    /* DatabaseProgram */
    {"quenwick-graph: ",
     "quenwick-graph: "},
    /* ProblemHeaderMissing */
    {"header not found: ",
     "header not found: "},
    /* CScanSummaryHeaders */
    {"quenwick-graph: %llu files did not balance, %llu conditionals were left undecided, %llu headers were not found (-V lists them)\n",
     "quenwick-graph: %llu files did not balance, %llu conditionals were left undecided, %llu headers were not found (-V lists them)\n"},
    /* CScanHeaderReached */
    {"quenwick-graph: %s: scanned as %s includes it, with that file's configuration\n",
     "quenwick-graph: %s: scanned as %s includes it, with that file's configuration\n"},
    /* CScanHeaderReachedAgain */
    {"quenwick-graph: %s: scanned again as %s includes it, in another configuration\n",
     "quenwick-graph: %s: scanned again as %s includes it, in another configuration\n"},
    /* DatabaseUnreadable */
    {"%s: no compilation database can be read there\n",
     "%s: no compilation database can be read there\n"},
    /* DatabasePlace */
    {"%s:%u:%u: ",
     "%s:%u:%u: "},
    /* DatabaseNotJson */
    {"not valid JSON: %s\n",
     "not valid JSON: %s\n"},
    /* DatabaseNotList */
    {"a compilation database is a JSON array of entries\n",
     "a compilation database is a JSON array of entries\n"},
    /* DatabaseNotObject */
    {"entry %zu is no JSON object\n",
     "entry %zu is no JSON object\n"},
    /* DatabaseNoFile */
    {"entry %zu has no \"file\"\n",
     "entry %zu has no \"file\"\n"},
    /* DatabaseBadField */
    {"entry %zu: \"%s\" is not of the right type\n",
     "entry %zu: \"%s\" is not of the right type\n"},
    /* DatabaseNoCommand */
    {"entry %zu has neither \"arguments\" nor \"command\"\n",
     "entry %zu has neither \"arguments\" nor \"command\"\n"},
    /* DatabaseBadCommand */
    {"entry %zu: its command cannot be split: %s\n",
     "entry %zu: its command cannot be split: %s\n"},
    /* CompilerNotAllowed */
    {"quenwick-graph: the compiler %s is not run for its predefined macros: GCC's built-in set stands in (--query-driver=%s allows it)\n",
     "quenwick-graph: the compiler %s is not run for its predefined macros: GCC's built-in set stands in (--query-driver=%s allows it)\n"},
    /* CompilerFailed */
    {"quenwick-graph: the compiler %s did not give its predefined macros: GCC's built-in set stands in\n",
     "quenwick-graph: the compiler %s did not give its predefined macros: GCC's built-in set stands in\n"},
    /* CompilerNotFound */
    {"quenwick-graph: the compiler %s is not found: GCC's built-in set stands in for its predefined macros\n",
     "quenwick-graph: the compiler %s is not found: GCC's built-in set stands in for its predefined macros\n"},
};
// clang-format on

static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<std::size_t>(Text::Count));

TextEncoding gEncoding = TextEncoding::Cp932;

}  // namespace

std::string_view textIn(Text id, TextEncoding encoding) {
  const TextForms& forms = kTexts[static_cast<std::size_t>(id)];
  return encoding == TextEncoding::Utf8 ? forms.utf8 : forms.cp932;
}

std::string_view text(Text id) {
  return textIn(id, gEncoding);
}

void selectTextEncoding(const char* environmentValue) {
  std::string_view value = environmentValue ? environmentValue : "";
  gEncoding = (equalsIgnoringAsciiCase(value, "UTF-8") || equalsIgnoringAsciiCase(value, "utf8"))
                  ? TextEncoding::Utf8
                  : TextEncoding::Cp932;
}

TextEncoding textEncoding() {
  return gEncoding;
}

}  // namespace quenwick
