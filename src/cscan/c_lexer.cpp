#include "cscan/c_lexer.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_class.h"
#include "platform/utf8.h"

namespace quenwick {

namespace {

// Blanks inside a line: space, tab, CR, vertical tab, form feed.
bool isLineBlank(char c) {
  return hasClass(c, kLineBlank);
}

bool isNameByte(char c) {
  return hasClass(c, kWordChar) || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

CLexer::CLexer(const SourceText& source, std::vector<ScanProblem>& problems)
    : base_(source.text().data()),
      p_(base_),
      end_(base_ + source.text().size()),
      cp932_(source.encoding() == SourceEncoding::Cp932),
      splices_(source.splices()),
      lineStart_(base_),
      problems_(problems) {}

void CLexer::countSplices(const char* p) {
  const std::size_t offset = static_cast<std::size_t>(p - base_);
  while (nextSplice_ < splices_.size() && splices_[nextSplice_] <= offset) {
    if (line_ != UINT32_MAX) ++line_;
    lineStart_ = std::max(lineStart_, base_ + splices_[nextSplice_]);
    ++nextSplice_;
  }
}

// Counts the line feed just passed; `next` is the byte after it.
void CLexer::newLine(const char* next) {
  // Splices before this line feed belong to the lines before it.
  placeOf(next - 1);
  if (line_ != UINT32_MAX) ++line_;
  lineStart_ = next;
  atLineStart_ = true;
}

// Passes over blanks and comments. In a directive it stops at a line feed and
// returns true; otherwise false.
bool CLexer::skipBlanks(bool inDirective) {
  for (;;) {
    const char c = *p_;
    if (isLineBlank(c)) {
      ++p_;
      while (isLineBlank(*p_)) ++p_;
    } else if (c == '\n') {
      if (inDirective) return true;
      ++p_;
      newLine(p_);
    } else if (c == '/' && p_[1] == '*') {
      skipBlockComment();
    } else if (c == '/' && p_[1] == '/') {
      skipLineComment();
    } else {
      return false;
    }
  }
}

void CLexer::skipBlockComment() {
  const SourcePlace start = placeOf(p_);
  const char* line = p_ + 2;  // the comment's current line, for captions
  const char* p = line;
  // From "*" to "*", counting the line feeds between (and giving each whole line
  // to the caption).
  for (;;) {
    const char* star = static_cast<const char*>(std::memchr(p, '*', static_cast<std::size_t>(end_ - p)));
    const char* stop = star != nullptr ? star : end_;
    const char* nul = static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(stop - p)));
    if (nul != nullptr) stop = nul;
    for (const char* nl; (nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)))) != nullptr;) {
      if (capturing_) captureLine(line, nl);
      p = nl + 1;
      newLine(p);
      line = p;
    }
    if (nul != nullptr || star == nullptr) {
      problems_.push_back({ScanProblem::UnclosedComment, start, "/*"});
      p_ = stop;
      return;
    }
    if (star[1] == '/') {
      p_ = star + 2;
      return;
    }
    p = star + 1;
  }
}

void CLexer::skipLineComment() {
  const char* begin = p_ + 2;
  const char* nl = static_cast<const char*>(std::memchr(begin, '\n', end_ - begin));
  const char* stop = nl != nullptr ? nl : end_;
  if (capturing_) captureLine(begin, stop);
  p_ = stop;  // the line feed ends the line, also for a directive
}

// Keeps the trimmed text after the caption keyword of one comment line.
void CLexer::captureLine(const char* begin, const char* end) {
  std::string_view line(begin, static_cast<std::size_t>(end - begin));
  const std::size_t found = line.find(keyword_);
  if (found == std::string_view::npos) return;
  line.remove_prefix(found + keyword_.size());
  while (!line.empty() && hasClass(line.front(), kSpace)) line.remove_prefix(1);
  while (!line.empty() && hasClass(line.back(), kSpace)) line.remove_suffix(1);
  caption_.assign(line);
}

Token CLexer::next() {
  const char* before = p_;
  skipBlanks(false);
  if (*p_ == '#' && atLineStart_) {
    Token token;
    token.kind = TokenKind::Directive;
    token.place = placeOf(p_);
    token.text = std::string_view(p_, 1);
    ++p_;
    atLineStart_ = false;
    return token;
  }
  const bool spaced = p_ != before;
  Token token = lexToken();
  token.spaceBefore = spaced;
  return token;
}

Token CLexer::nextInDirective() {
  const char* before = p_;
  if (skipBlanks(true) || *p_ == '\0') {
    Token token;
    token.kind = TokenKind::LineEnd;
    token.place = placeOf(p_);
    return token;
  }
  const bool spaced = p_ != before;
  Token token = lexToken();
  token.spaceBefore = spaced;
  return token;
}

void CLexer::skipDirectiveLine() {
  for (;;) {
    while (!hasClass(*p_, kLineStop)) ++p_;
    const char c = *p_;
    if (c == '\n' || c == '\0') return;
    if (c == '/' && p_[1] == '*') {
      skipBlockComment();
    } else if (c == '/' && p_[1] == '/') {
      skipLineComment();
    } else {
      p_ = skipCharacter(p_);
    }
  }
}

std::string_view CLexer::restOfDirective() {
  if (skipBlanks(true) || *p_ == '\0') return std::string_view();
  const char* first = p_;
  const char* last = p_;  // the end of the last token so far
  for (;;) {
    // A run of plain text ends the tokens so far at its last byte that is no blank.
    const char* run = p_;
    while (!hasClass(*p_, kLineStop)) ++p_;
    for (const char* q = p_; q > run; --q) {
      if (!isLineBlank(q[-1])) {
        last = q;
        break;
      }
    }
    const char c = *p_;
    if (c == '\n' || c == '\0') break;
    if (c == '/' && p_[1] == '*') {
      skipBlockComment();
    } else if (c == '/' && p_[1] == '/') {
      skipLineComment();
    } else {
      if (c == '"' || c == '\'') {
        lexQuoted(c);  // as a token of its own: to its quote or to the line's end
      } else {
        ++p_;
      }
      last = p_;
    }
  }
  return std::string_view(first, static_cast<std::size_t>(last - first));
}

bool CLexer::skipToDirective() {
  // Text that is not compiled gives no caption.
  struct Restore {
    bool& flag;
    bool kept;
    ~Restore() { flag = kept; }
  } restore{capturing_, capturing_};
  capturing_ = false;
  for (;;) {
    // The start of a line: blanks and comments, then "#" opens a directive.
    atLineStart_ = true;
    for (;;) {
      const char c = *p_;
      if (isLineBlank(c)) {
        ++p_;
      } else if (c == '/' && p_[1] == '*') {
        skipBlockComment();
      } else {
        break;
      }
    }
    if (*p_ == '#') {
      ++p_;
      atLineStart_ = false;
      return true;
    }
    // The rest of the line: literals end at their quote or at the line end, and a
    // comment may run on over further lines. (No byte of a double-byte character
    // ends a run of plain text.)
    for (;;) {
      while (!hasClass(*p_, kLineStop)) ++p_;
      const char c = *p_;
      if (c == '\0') return false;
      if (c == '\n') {
        ++p_;
        newLine(p_);
        break;
      }
      if (c == '/' && p_[1] == '*') {
        skipBlockComment();
      } else if (c == '/' && p_[1] == '/') {
        skipLineComment();
      } else if (c == '"' || c == '\'') {
        const char* p = p_ + 1;
        while (*p != c && *p != '\n' && *p != '\0') {
          p = *p == '\\' && p[1] != '\n' && p[1] != '\0' ? p + 2 : skipCharacter(p);
        }
        p_ = *p == c ? p + 1 : p;
      } else {
        p_ = skipCharacter(p_);
      }
    }
  }
}

// Reads one token at `p_`, which is no blank and no comment.
Token CLexer::lexToken() {
  Token token;
  const char* start = p_;
  token.place = placeOf(start);
  atLineStart_ = false;
  const char c = *start;
  if (c == '\0') {
    token.kind = TokenKind::End;
    return token;
  }
  if (hasClass(c, kWordStart) || static_cast<unsigned char>(c) >= 0x80) {
    const char* p = start;
    if (cp932_) {
      while (isNameByte(*p)) p = skipCharacter(p);
    } else {
      while (isNameByte(*p)) ++p;
    }
    // A prefix before a literal belongs to it: L"", u8"", U''.
    if ((*p == '"' || *p == '\'') && p - start <= 2) {
      std::string_view prefix(start, static_cast<std::size_t>(p - start));
      if (prefix == "L" || prefix == "u" || prefix == "U" || prefix == "u8") {
        p_ = p;
        lexQuoted(*p);
        token.kind = *p == '"' ? TokenKind::String : TokenKind::Character;
        token.text = std::string_view(start, static_cast<std::size_t>(p_ - start));
        return token;
      }
    }
    p_ = p;
    token.kind = TokenKind::Identifier;
    token.text = std::string_view(start, static_cast<std::size_t>(p - start));
    return token;
  }
  if (hasClass(c, kDigit) || (c == '.' && hasClass(start[1], kDigit))) {
    const char* p = start + 1;
    for (;;) {
      if ((*p == '+' || *p == '-') &&
          (p[-1] == 'e' || p[-1] == 'E' || p[-1] == 'p' || p[-1] == 'P')) {
        ++p;
      } else if (hasClass(*p, kWordChar) || *p == '.') {
        ++p;
      } else {
        break;
      }
    }
    p_ = p;
    token.kind = TokenKind::Number;
    token.text = std::string_view(start, static_cast<std::size_t>(p - start));
    return token;
  }
  if (c == '"' || c == '\'') {
    lexQuoted(c);
    token.kind = c == '"' ? TokenKind::String : TokenKind::Character;
    token.text = std::string_view(start, static_cast<std::size_t>(p_ - start));
    return token;
  }
  lexPunct(token);
  token.text = std::string_view(start, static_cast<std::size_t>(p_ - start));
  return token;
}

// Reads a literal whose quote is at `p_`: to its closing quote, or to the end of
// its line when it has none.
void CLexer::lexQuoted(char quote) {
  const char* p = p_ + 1;
  for (;;) {
    const char c = *p;
    if (c == quote) {
      p_ = p + 1;
      return;
    }
    if (c == '\n' || c == '\0') {
      problems_.push_back({ScanProblem::UnclosedLiteral, placeOf(p_), std::string(1, quote)});
      p_ = p;
      return;
    }
    if (c == '\\' && p[1] != '\0' && p[1] != '\n') {
      p = skipCharacter(p + 1);
      continue;
    }
    p = skipCharacter(p);
  }
}

void CLexer::lexPunct(Token& token) {
  token.kind = TokenKind::Punct;
  const char c = *p_;
  const char d = p_[1];
  auto take = [&](std::size_t length, Punct punct) {
    p_ += length;
    token.punct = punct;
  };
  switch (c) {
    case '(': return take(1, Punct::LParen);
    case ')': return take(1, Punct::RParen);
    case '{': return take(1, Punct::LBrace);
    case '}': return take(1, Punct::RBrace);
    case '[': return take(1, Punct::LBracket);
    case ']': return take(1, Punct::RBracket);
    case ';': return take(1, Punct::Semicolon);
    case ',': return take(1, Punct::Comma);
    case ':': return take(1, Punct::Colon);
    case '?': return take(1, Punct::Question);
    case '~': return take(1, Punct::Tilde);
    case '.':
      if (d == '.' && p_[2] == '.') return take(3, Punct::Ellipsis);
      return take(1, Punct::Dot);
    case '#':
      if (d == '#') return take(2, Punct::HashHash);
      return take(1, Punct::Hash);
    case '=':
      if (d == '=') return take(2, Punct::Equal);
      return take(1, Punct::Assign);
    case '!':
      if (d == '=') return take(2, Punct::NotEqual);
      return take(1, Punct::Not);
    case '<':
      if (d == '<') return take(p_[2] == '=' ? 3 : 2, p_[2] == '=' ? Punct::CompoundAssign : Punct::ShiftLeft);
      if (d == '=') return take(2, Punct::LessEqual);
      return take(1, Punct::Less);
    case '>':
      if (d == '>') return take(p_[2] == '=' ? 3 : 2, p_[2] == '=' ? Punct::CompoundAssign : Punct::ShiftRight);
      if (d == '=') return take(2, Punct::GreaterEqual);
      return take(1, Punct::Greater);
    case '&':
      if (d == '&') return take(2, Punct::AndAnd);
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Amp);
    case '|':
      if (d == '|') return take(2, Punct::OrOr);
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Pipe);
    case '+':
      if (d == '+') return take(2, Punct::Increment);
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Plus);
    case '-':
      if (d == '-') return take(2, Punct::Decrement);
      if (d == '>') return take(2, Punct::Arrow);
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Minus);
    case '*':
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Star);
    case '/':
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Slash);
    case '%':
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Percent);
    case '^':
      if (d == '=') return take(2, Punct::CompoundAssign);
      return take(1, Punct::Caret);
    default:
      token.kind = TokenKind::Other;
      p_ = skipCharacter(p_);
      return;
  }
}

}  // namespace quenwick
