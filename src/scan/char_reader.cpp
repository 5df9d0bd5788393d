#include "scan/char_reader.h"

namespace quenwick {

void CharReader::endOfFile() {
  atEof = false;
  pushbackChar = -1;  // a character still held back belongs to this file: it is dropped
  sourceFile.close();
  throw EndOfFile{};
}

int CharReader::readWord(std::string& buffer) {
  buffer.clear();
  skipBlanks();
  if (hasClass(curChar, kWordStart)) {
    do {
      buffer.push_back(static_cast<char>(curChar));
      readChar();
    } while (hasClass(curChar, kWordChar));
    return 0;
  }
  // A one-character token; the text of a NUL byte ends before it.
  if (curChar != 0) buffer.push_back(static_cast<char>(curChar & 0xFF));
  return curChar;
}

std::string& trimRight(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && hasClass(static_cast<unsigned char>(text[end - 1]), kTrimBlank)) --end;
  text.resize(end);
  return text;
}

std::string& trimLeft(std::string& text) {
  std::size_t begin = 0;
  while (begin < text.size() && hasClass(static_cast<unsigned char>(text[begin]), kTrimBlank)) {
    ++begin;
  }
  text.erase(0, begin);
  return text;
}

std::string& trimBoth(std::string& text) { return trimLeft(trimRight(text)); }

}  // namespace quenwick
