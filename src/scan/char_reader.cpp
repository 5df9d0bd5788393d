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

namespace {

// The length of the run of bytes of class `cls` at the start of `bytes`.
std::size_t runLength(std::string_view bytes, ByteClass cls) {
  std::size_t n = 0;
  while (n < bytes.size() && hasClass(static_cast<unsigned char>(bytes[n]), cls)) ++n;
  return n;
}

}  // namespace

void CharReader::readWordRun(std::string& word) {
  if (pushbackChar != -1 || atEof) return;
  std::string_view ahead = sourceFile.buffered();
  std::size_t n = runLength(ahead, kWordChar);
  if (n == 0) return;
  word.append(ahead.substr(0, n));
  curChar = static_cast<unsigned char>(ahead[n - 1]);
  sourceFile.skipBuffered(n);
}

void CharReader::skipPlainRun() {
  if (pushbackChar != -1 || atEof) return;
  std::string_view ahead = sourceFile.buffered();
  std::size_t n = runLength(ahead, kPlainCode);
  if (n == 0) return;
  for (std::size_t i = 0; i < n; ++i) {
    if (ahead[i] == '\n') saturatingIncrement(lineNo);
  }
  curChar = static_cast<unsigned char>(ahead[n - 1]);
  sourceFile.skipBuffered(n);
}

std::string& trimRight(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && hasClass(static_cast<unsigned char>(text[end - 1]), kSpace)) --end;
  text.resize(end);
  return text;
}

std::string& trimLeft(std::string& text) {
  std::size_t begin = 0;
  while (begin < text.size() && hasClass(static_cast<unsigned char>(text[begin]), kSpace)) {
    ++begin;
  }
  text.erase(0, begin);
  return text;
}

std::string& trimBoth(std::string& text) {
  return trimLeft(trimRight(text));
}

}  // namespace quenwick
