// Function extraction: definitions and the names their bodies call.
#pragma once

#include <string>

#include "platform/console.h"
#include "scan/lexer.h"
#include "shared/name_lists.h"
#include "shared/options.h"
#include "tree/function_table.h"

namespace quenwick {

/// Finds definitions in one source file at a time and records them in the table.
class Extractor {
 public:
  /// Takes characters from `lexer`, records into `table`, consults the lists.
  Extractor(CharReader& reader, Lexer& lexer, FunctionTable& table, const NameLists& lists,
            const Options& options, Console& console)
      : reader_(reader),
        lexer_(lexer),
        table_(table),
        lists_(lists),
        options_(options),
        console_(console) {}

  /// Opens and scans `fileName`. Returns only when the file cannot be opened
  /// (reported on standard error); otherwise the scan ends by `EndOfFile`.
  void scanSourceFile(const std::string& fileName);
  /// Scans the reader's source, already opened, as the file `fileName`. Ends only
  /// by `EndOfFile`.
  [[noreturn]] void scanOpenedFile(const std::string& fileName);
  /// Scans the body of `record`, whose "{" has just been read, up to the brace
  /// that brings the depth back to 0, recording the names it calls.
  void scanBody(FuncRecord& record);

 private:
  // The current character is the reader's: the last one the lexer delivered.
  int current() const { return reader_.current(); }
  int next() { return lexer_.nextCodeChar(); }
  int nextPastPlainCode();
  // Blanks for extraction: every value up to 32, the end of the file included.
  static bool isBlank(int c) { return c == -1 || hasClass(c, kCodeBlank); }
  int skipBlanks() {
    while (isBlank(current())) next();
    return current();
  }
  void readName(std::string& name);
  void skipParenthesisGroup();
  void recordDefinition(const std::string& fileName, int line);
  bool isNewCallee(const FuncRecord& record, const std::string& name);

  CharReader& reader_;      // the file and the current character
  Lexer& lexer_;            // significant characters and the brace depth
  FunctionTable& table_;    // where definitions and callees go
  const NameLists& lists_;  // names that never become callees
  const Options& options_;  // -V and the caption switch
  Console& console_;        // the -V trace and the missing-file message
  std::string name_;        // the name being read
};

}  // namespace quenwick
