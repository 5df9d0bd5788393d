#include "scan/lexer.h"

namespace quenwick {

// Handles a literal, a comment or a directive that starts at the current character
// `c`, leaving the character to examine next current. False for a "/" that starts
// neither comment: it is then current again and significant, and the character
// after it is held back.
bool Lexer::skipSpecial(int c) {
  switch (c) {
    case '"':
    case '\'':
      skipLiteral(c);
      reader_.readChar();
      return true;
    case '#':
      directives_.handleDirective();
      return true;
    default: {  // "/"
      int lookAhead = reader_.readChar();
      if (lookAhead == '*') {
        skipBlockComment();
        reader_.readChar();
        return true;
      }
      if (lookAhead == '/') {
        skipLineComment();
        return true;
      }
      reader_.holdBack(lookAhead, '/');
      return false;
    }
  }
}

void Lexer::skipLiteral(int quote) {
  do {
    reader_.readChar();
    while (reader_.current() == '\\') {
      reader_.readChar();
      reader_.readChar();
    }
  } while (reader_.current() != quote);
}

void Lexer::skipBlockComment() {
  int c = reader_.readChar();
  int prev;
  if (!capturesCaptions()) {
    do {
      prev = c;
      c = reader_.readChar();
    } while (prev != '*' || c != '/');
    return;
  }
  commentLine_.clear();
  for (;;) {
    if (c != '\n') commentLine_.push_back(static_cast<char>(c));
    prev = c;
    c = reader_.readChar();
    if (prev == '*' && c == '/') return;
    if (c == '\n') {
      captureCaption(commentLine_);
      commentLine_.clear();
    }
  }
}

void Lexer::skipLineComment() {
  if (!capturesCaptions()) {
    while (reader_.readChar() != '\n') {
    }
    return;
  }
  commentLine_.clear();
  for (int c = reader_.readChar(); c != '\n'; c = reader_.readChar()) {
    commentLine_.push_back(static_cast<char>(c));
  }
  captureCaption(commentLine_);
}

void Lexer::captureCaption(std::string_view line) {
  line = line.substr(0, line.find('\0'));  // the line as a text ends at a NUL byte
  std::size_t found = line.find(settings_.caption);
  if (found == line.npos) return;
  captionBuffer.assign(line.substr(found + settings_.caption.size()));
  trimBoth(captionBuffer);
}

}  // namespace quenwick
