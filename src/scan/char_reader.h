// The character reader: the bytes of the source file being scanned, one at a time,
// with the line counter, one held-back character and the end-of-file abort.
#pragma once

#include <climits>
#include <string>
#include <string_view>

#include "platform/byte_class.h"
#include "platform/text_input.h"

namespace quenwick {

/// Thrown by `readChar` on the read after the end of the file: it ends the scan of
/// the file and is caught by the per-file entry.
struct EndOfFile {};

/// Adds 1, holding at the largest int instead of overflowing.
inline void saturatingIncrement(int& value) {
  if (value != INT_MAX) ++value;
}
/// Subtracts 1, holding at the smallest int instead of overflowing.
inline void saturatingDecrement(int& value) {
  if (value != INT_MIN) --value;
}

/// The reader, one for the whole run, always belonging to the file being scanned.
/// Its state changes only through its own operations.
class CharReader {
 public:
  /// Opens `path` as the source file; false when it cannot be opened.
  bool openSource(const std::string& path) { return sourceFile.open(path); }
  /// Reads `text` as the source file (for tests and fuzzing).
  void openSourceText(std::string_view text) { sourceFile.openMemory(text); }
  /// Starts the line count of a new file.
  void resetLineNo() { lineNo = 1; }

  /// The current character: 0..255, or -1 before any read and at the end.
  int current() const { return curChar; }
  /// The line counter: 1 + line feeds read so far.
  int line() const { return lineNo; }

  /// Delivers the next character and makes it current. At the end of the file it
  /// returns a line feed once with -1 current; the call after that closes the file
  /// and throws `EndOfFile`.
  int readChar() {
    if (atEof) endOfFile();
    if (pushbackChar != -1) {
      curChar = pushbackChar;
      pushbackChar = -1;
      return curChar;
    }
    int c = sourceFile.get();
    if (c < 0) {
      curChar = -1;
      atEof = true;
      return '\n';
    }
    curChar = c;
    if (c == '\n') saturatingIncrement(lineNo);
    return c;
  }

  /// Holds `c` back for the next `readChar` and makes `current` the current
  /// character again (the one read before `c`).
  void holdBack(int c, int current) {
    pushbackChar = c;
    curChar = current;
  }

  /// Reads past blanks (9, 10, 11, 12, 32), starting at the current character,
  /// and returns the first other character, which is then current.
  int skipBlanks() {
    while (hasClass(curChar, kReaderBlank)) readChar();
    return curChar;
  }

  /// Reads until a line feed is current, starting at the current character.
  void skipToLineEnd() {
    while (curChar != '\n') readChar();
  }

  /// Skips blanks, then reads a word (a letter or "_" followed by letters, digits
  /// and "_") into `buffer` and returns 0; or, at any other character, puts that
  /// character alone into `buffer` without moving past it and returns its value.
  /// At the end of the file the token is the byte 255 and the result -1. A NUL
  /// byte gives an empty token.
  int readWord(std::string& buffer);

  /// Delivers at once the word characters (letters, digits, "_") that follow in the
  /// read-ahead buffer, appending them to `word`; the last one becomes current.
  /// Nothing happens while a character is held back or the end has been met. The
  /// result is the same as reading them one at a time, only faster.
  void readWordRun(std::string& word);
  /// Delivers at once the plain code bytes (see `kPlainCode`) that follow in the
  /// read-ahead buffer, counting their line feeds; the last one becomes current.
  void skipPlainRun();

 private:
  [[noreturn]] void endOfFile();

  int curChar = -1;       // current character: 0..255, or -1 before any read and at the end
  int pushbackChar = -1;  // character held back for the next read; -1 when none
  bool atEof = false;     // a read has met the end of the file
  int lineNo = 1;         // 1 + line feeds read so far; already raised while a line feed is current
  TextInput sourceFile;   // the source file, in text mode
};

/// Removes trailing blanks (9 to 13 and 32) from `text` in place.
std::string& trimRight(std::string& text);
/// Removes leading blanks (9 to 13 and 32) from `text` in place.
std::string& trimLeft(std::string& text);
/// Removes blanks at both ends of `text` in place.
std::string& trimBoth(std::string& text);

}  // namespace quenwick
