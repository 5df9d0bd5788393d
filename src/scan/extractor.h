// Function extraction: definitions and the names their bodies call.
#pragma once

#include <string>

#include "driver/exclusion_file.h"
#include "driver/options.h"
#include "platform/console.h"
#include "scan/lexer.h"
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
  int next() { return c_ = lexer_.nextCodeChar(); }
  int nextPastPlainCode();
  // Blanks for extraction: every value up to 32, the end of the file included.
  static bool isBlank(int c) { return c <= ' '; }
  void skipBlanks() {
    while (isBlank(c_)) next();
  }
  void readName(std::string& name);
  void skipParenthesisGroup();
  void recordDefinition(const std::string& fileName, int line);
  bool isNewCallee(const FuncRecord& record, const std::string& name);

  CharReader& reader_;
  Lexer& lexer_;
  FunctionTable& table_;
  const NameLists& lists_;
  const Options& options_;
  Console& console_;
  int c_ = -1;        // the current character
  std::string name_;  // the name being read
};

}  // namespace quenwick
