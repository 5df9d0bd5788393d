// The source scanner: its layers wired together over one reader.
#pragma once

#include <string>

#include "scan/char_reader.h"
#include "scan/directives.h"
#include "scan/extractor.h"
#include "scan/lexer.h"

namespace quenwick {

/// The scanner state of the run and its four layers.
struct Scanner {
  /// Layers that read `settings`, `options` and `lists`, record into `table` and
  /// report on `console`.
  Scanner(const Settings& settings, const Options& options, NameLists& lists, FunctionTable& table,
          Console& console)
      : directives(reader, lists.defineList, console),
        lexer(reader, directives, settings, options),
        extractor(reader, lexer, table, lists, options, console) {}

  /// Scans the source file `name` from its first line to its end. A file that
  /// cannot be opened is reported on standard error and scanned no further: the
  /// result is false then.
  bool scanFile(const std::string& name) {
    resetForFile();
    try {
      extractor.scanSourceFile(name);
    } catch (const EndOfFile&) {
      return true;  // the scan of an opened file always ends here
    }
    return false;
  }

  /// Resets what belongs to one file: braces, lines, open conditionals, caption.
  void resetForFile() {
    lexer.resetForFile();
    reader.resetLineNo();
    directives.resetLevels();
  }

  /// Braces still open at the end of the file just scanned (negative: too many "}").
  int braceDepth() const { return lexer.depth(); }
  /// Conditionals still open at the end of the file just scanned.
  int condDepth() const { return directives.condDepth(); }

  CharReader reader;            // raw characters and line numbers
  DirectiveHandler directives;  // conditional levels and defined symbols
  Lexer lexer;                  // significant characters, braces and captions
  Extractor extractor;          // definitions and their callees
};

}  // namespace quenwick
