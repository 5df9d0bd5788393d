// A text made ready and read by the C lexer, for the tests of the lexer and of
// the readers of its tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cscan/c_lexer.h"
#include "cscan/c_source.h"

namespace quenwick::ctest {

/// The tokens of one text, up to its end, kept with the text they point into.
struct LexedText {
  /// Reads `text` in `encoding`.
  explicit LexedText(std::string_view text, SourceEncoding encoding = SourceEncoding::Utf8)
      : source(text, encoding) {
    CLexer lexer(source, problems);
    for (Token token = lexer.next(); token.kind != TokenKind::End; token = lexer.next()) {
      tokens.push_back(token);
    }
  }

  /// The texts of the tokens joined by single blanks.
  std::string joined() const {
    std::string out;
    for (const Token& token : tokens) {
      if (!out.empty()) out += ' ';
      out += token.text;
    }
    return out;
  }

  SourceText source;                  // the text read
  std::vector<ScanProblem> problems;  // unclosed comments and literals
  std::vector<Token> tokens;          // its tokens
};

}  // namespace quenwick::ctest
