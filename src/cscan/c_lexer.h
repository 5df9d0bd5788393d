// The C lexer: tokens of a source text with their places. Comments and blanks are
// passed over (comments can give captions), literals are whole tokens, and a "#"
// that starts a line opens a directive, whose tokens end at its line end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cscan/c_source.h"
#include "platform/utf8.h"
#include "tree/file_facts.h"

namespace quenwick {

/// What a token is.
enum class TokenKind : std::uint8_t {
  End,         // the end of the text
  Identifier,  // a name or a keyword
  Number,      // a preprocessing number
  String,      // a string literal, prefix included
  Character,   // a character constant, prefix included
  Punct,       // an operator or punctuator (see `Punct`)
  Directive,   // the "#" that starts a directive line
  LineEnd,     // the end of a directive line
  Other,       // any other byte
};

/// The operators and punctuators that the scan tells apart.
enum class Punct : std::uint8_t {
  None, LParen, RParen, LBrace, RBrace, LBracket, RBracket, Semicolon, Comma, Assign,
  Star, Amp, Dot, Arrow, Ellipsis, Hash, HashHash, Colon, Question, Plus, Minus, Slash,
  Percent, Caret, Pipe, Tilde, Not, Less, Greater, LessEqual, GreaterEqual, Equal,
  NotEqual, AndAnd, OrOr, ShiftLeft, ShiftRight, Increment, Decrement, CompoundAssign,
};

/// One token.
struct Token {
  TokenKind kind = TokenKind::End;  // what it is
  Punct punct = Punct::None;        // for `TokenKind::Punct`
  bool spaceBefore = false;         // a blank or comment stands right before it
  std::string_view text;            // its bytes in the source text
  SourcePlace place;                // where it starts

  /// True when the token is the punctuator `p`.
  bool is(Punct p) const { return kind == TokenKind::Punct && punct == p; }
};

/// Reads the tokens of one source text.
class CLexer {
 public:
  /// Reads `source`, reporting unclosed comments and literals into `problems`.
  CLexer(const SourceText& source, std::vector<ScanProblem>& problems);

  /// The next token of code. A directive comes as one `Directive` token; its own
  /// tokens are then read with `nextInDirective`.
  Token next();
  /// The next token of the directive being read; `LineEnd` at its end (a comment
  /// that runs over several lines stays in the directive).
  Token nextInDirective();
  /// Passes over the rest of the directive line without reading its tokens (its
  /// text need not be C: #error don't).
  void skipDirectiveLine();
  /// The rest of the directive, from its next token to the end of its last, as
  /// written (comments between its tokens included), read without making its
  /// tokens: a #define's replacement. Empty when no token is left.
  std::string_view restOfDirective();
  /// True when the next byte is `c`, with no blank or comment before it.
  bool atByte(char c) const { return *p_ == c; }
  /// Passes over text that is not compiled, line by line, up to the "#" of the next
  /// directive, which is then read as by `next`. False at the end of the text.
  bool skipToDirective();

  /// Captures captions from comments from now on (`keyword` empty: every comment
  /// line), or stops doing so.
  void captureCaptions(bool on) { capturing_ = on && captions_; }
  /// Sets the caption keyword and whether captions are captured at all.
  void setCaptionKeyword(const std::string& keyword, bool captions) {
    keyword_ = keyword;
    captions_ = captions;
  }
  /// The caption captured last, trimmed; empty when none.
  const std::string& caption() const { return caption_; }
  /// Forgets the caption once a definition has taken it.
  void clearCaption() { caption_.clear(); }

  /// The place of the next byte to read.
  SourcePlace here() { return placeOf(p_); }
  /// The number of lines read so far.
  std::uint32_t line() const { return line_; }

 private:
  bool skipBlanks(bool inDirective);
  void skipBlockComment();
  void skipLineComment();
  void captureLine(const char* begin, const char* end);
  Token lexToken();
  void lexQuoted(char quote);
  void lexPunct(Token& token);
  /// The byte after the character at `p`: two bytes for a double-byte character
  /// of code page 932, else one.
  const char* skipCharacter(const char* p) const {
    if (cp932_ && isCp932Lead(static_cast<unsigned char>(*p)) &&
        isCp932Trail(static_cast<unsigned char>(p[1]))) {
      return p + 2;
    }
    return p + 1;
  }
  /// The place of the byte at `p`, counting the splices before it.
  SourcePlace placeOf(const char* p) {
    if (nextSplice_ < splices_.size()) countSplices(p);
    const std::size_t column = static_cast<std::size_t>(p - lineStart_) + 1;
    return SourcePlace{line_, column > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(column)};
  }
  void countSplices(const char* p);
  void newLine(const char* next);

  const char* base_;                       // the first byte of the text
  const char* p_;                          // the next byte to read
  const char* end_;                        // the terminating NUL
  bool cp932_;                             // double-byte characters of code page 932
  const std::vector<std::size_t>& splices_;  // where lines were joined
  std::size_t nextSplice_ = 0;             // the first splice not yet counted
  std::uint32_t line_ = 1;                 // the physical line of `lineStart_`
  const char* lineStart_;                  // the first byte of the current physical line
  bool atLineStart_ = true;                // no token yet on this line: "#" opens a directive
  std::vector<ScanProblem>& problems_;     // where unclosed comments and literals go
  bool captions_ = true;                   // captions are captured at all
  bool capturing_ = false;                 // comments are searched for the keyword now
  std::string keyword_;                    // the caption keyword
  std::string caption_;                    // the caption captured last
};

}  // namespace quenwick
