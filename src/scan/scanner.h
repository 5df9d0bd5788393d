// The source scanner: its layers wired together over one reader.
#pragma once

#include "scan/char_reader.h"
#include "scan/directives.h"
#include "scan/extractor.h"
#include "scan/lexer.h"

namespace quenwick {

/// The scanner state of the run and its four layers.
struct Scanner {
  Scanner(const Settings& settings, const Options& options, NameLists& lists, FunctionTable& table,
          Console& console)
      : directives(reader, lists.defineList, console),
        lexer(reader, directives, settings, options),
        extractor(reader, lexer, table, lists, options, console) {}

  /// Resets what belongs to one file: braces, lines, open conditionals, caption.
  void resetForFile() {
    lexer.braceDepth = 0;
    reader.lineNo = 1;
    directives.resetLevels();
    lexer.captionBuffer.clear();
  }

  CharReader reader;            // raw characters and line numbers
  DirectiveHandler directives;  // conditional levels and defined symbols
  Lexer lexer;                  // significant characters, braces and captions
  Extractor extractor;          // definitions and their callees
};

}  // namespace quenwick
