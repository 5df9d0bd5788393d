// The lexical layer: the significant characters of a source file, with literals,
// comments and directive lines taken out, braces counted and captions captured.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"
#include "scan/char_reader.h"
#include "scan/directives.h"
#include "shared/options.h"

namespace quenwick {

/// Turns raw characters into significant ones.
class Lexer {
 public:
  /// Reads through `reader`, hands directives to `directives`; the caption keyword
  /// and the caption switch are read from `settings` and `options` at each use.
  Lexer(CharReader& reader, DirectiveHandler& directives, const Settings& settings,
        const Options& options)
      : reader_(reader), directives_(directives), settings_(settings), options_(options) {}

  /// Starts a new file: no open brace, no caption.
  void resetForFile() {
    braceDepth = 0;
    captionBuffer.clear();
  }
  /// The nesting depth of "{" and "}" in the file; may be negative.
  int depth() const { return braceDepth; }
  /// The caption captured for the next definition.
  const std::string& caption() const { return captionBuffer; }
  /// Empties the caption once a definition has taken it.
  void clearCaption() { captionBuffer.clear(); }

  /// The next significant character (0..255), or -1 once at the end of the file;
  /// counts "{" and "}" in `braceDepth`.
  int nextCodeChar() {
    int c = nextSignificantChar();
    if (c == '{') saturatingIncrement(braceDepth);
    if (c == '}') saturatingDecrement(braceDepth);
    return c;
  }

  /// The next significant character, without counting braces.
  int nextSignificantChar() {
    reader_.readChar();
    for (;;) {
      int c = reader_.current();
      if (!hasClass(c, kLexSpecial)) return c;
      if (!skipSpecial(c)) return '/';
    }
  }

  /// Reads past the rest of a literal whose opening quote is current; every
  /// backslash escapes the byte after it. The closing quote is left current.
  void skipLiteral(int quote);
  /// Reads past the rest of a block comment whose "/*" has just been read.
  void skipBlockComment();
  /// Reads past the rest of a line comment whose "//" has just been read.
  void skipLineComment();
  /// Keeps the trimmed text after the caption keyword of `line`, when it holds it.
  void captureCaption(std::string_view line);

 private:
  bool skipSpecial(int c);
  bool capturesCaptions() const { return braceDepth == 0 && options_.showComments; }

  CharReader& reader_;            // raw characters
  DirectiveHandler& directives_;  // takes every "#" of significant text
  const Settings& settings_;      // the caption keyword
  const Options& options_;        // the caption switch
  int braceDepth = 0;             // nesting depth of "{" and "}"; may go negative
  std::string captionBuffer;      // caption captured for the next definition
  std::string commentLine_;       // one line of a comment, collected for the caption search
};

}  // namespace quenwick
