// Preprocessor directives: the conditional stack, defined symbols, and the skip
// over inactive text.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"
#include "scan/char_reader.h"
#include "shared/name_list.h"

namespace quenwick {

/// Carries out directive lines as far as the call tree needs them.
class DirectiveHandler {
 public:
  /// Reads through `reader`, keeps `defineList` and reports on `console`.
  DirectiveHandler(CharReader& reader, NameList& defineList, Console& console)
      : reader_(reader), defineList_(defineList), console_(console) {}

  /// Carries out the directive whose "#" is current, and every directive met while
  /// skipping the inactive text after it; returns with the scan active.
  void handleDirective();
  /// Reads the condition of an #if or #elif and returns its value: the first digit
  /// of the first token, the defined form, or 0.
  int evalCondition();

  /// Open conditional levels.
  int condDepth() const { return static_cast<int>(condStack_.size()); }
  /// Closes every level (before each file).
  void resetLevels() {
    condStack_.clear();
    evenLevels_ = 0;
  }
  /// True when every open level holds an odd value (the text is scanned).
  bool isActive() const { return evenLevels_ == 0; }

 private:
  void pushLevel(int value);
  void popLevel();
  void setTop(int value);
  void carryOut(const std::string& directive);
  void doElif();
  void doElse();
  void doEndif();
  int definedForm();
  void skipInactiveText();

  CharReader& reader_;
  NameList& defineList_;
  Console& console_;
  std::vector<int> condStack_;  // one value per open level, outermost first
  std::size_t evenLevels_ = 0;  // open levels whose value is even (inactive)
  std::string name_;            // directive name and symbol being read
};

}  // namespace quenwick
