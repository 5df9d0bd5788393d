#include "cscan/c_expression.h"

#include "cscan/c_expander.h"

#include <limits>
#include <string>
#include <unordered_map>

#include "platform/byte_class.h"

namespace quenwick {

namespace {

constexpr int kMaxNesting = 256;             // deeper operators make a condition malformed

bool isNameStart(char c) {
  return hasClass(c, kWordStart) || static_cast<unsigned char>(c) >= 0x80;
}

bool isNameByte(char c) {
  return hasClass(c, kWordChar) || static_cast<unsigned char>(c) >= 0x80;
}

// The length of the punctuator at the start of `text`.
std::size_t punctLength(std::string_view text) {
  static constexpr std::string_view kLong[] = {"<<=", ">>=", "...", "<<", ">>", "<=", ">=",
                                               "==",  "!=",  "&&",  "||", "##", "->"};
  for (std::string_view p : kLong) {
    if (text.substr(0, p.size()) == p) return p.size();
  }
  return 1;
}

// Skips a quoted literal starting at `i`; returns the index after it.
std::size_t skipQuoted(std::string_view text, std::size_t i) {
  const char quote = text[i++];
  while (i < text.size() && text[i] != quote) i += text[i] == '\\' ? 2 : 1;
  return i < text.size() ? i + 1 : text.size();
}

}  // namespace

PpToken ppTokenOf(const Token& token) {
  PpToken::Kind kind = PpToken::Punct;
  switch (token.kind) {
    case TokenKind::Identifier:
      kind = PpToken::Identifier;
      break;
    case TokenKind::Number:
      kind = PpToken::Number;
      break;
    case TokenKind::Character:
      kind = PpToken::Character;
      break;
    case TokenKind::String:
      kind = PpToken::String;
      break;
    default:
      break;
  }
  return PpToken{kind, std::string(token.text), token.spaceBefore};
}

std::vector<PpToken> tokenizeExpression(std::string_view text) {
  std::vector<PpToken> tokens;
  std::size_t i = 0;
  bool blank = false;  // a blank or a comment since the last token
  while (i < text.size()) {
    const char c = text[i];
    if (hasClass(c, kSpace)) {
      ++i;
      blank = true;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const std::size_t close = text.find("*/", i + 2);
      i = close == std::string_view::npos ? text.size() : close + 2;
      blank = true;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') break;
    const std::size_t start = i;
    // (A "/" before is a token like any other: <trace/events/x.h> has no blank.)
    const bool spaced = tokens.size() > 0 && blank;
    blank = false;
    PpToken::Kind kind;
    if (isNameStart(c)) {
      while (i < text.size() && isNameByte(text[i])) ++i;
      kind = PpToken::Identifier;
      if (i < text.size() && (text[i] == '\'' || text[i] == '"') && i - start <= 2) {
        std::string_view prefix = text.substr(start, i - start);
        if (prefix == "L" || prefix == "u" || prefix == "U" || prefix == "u8") {
          kind = text[i] == '\'' ? PpToken::Character : PpToken::String;
          i = skipQuoted(text, i);
        }
      }
    } else if (hasClass(c, kDigit) || (c == '.' && i + 1 < text.size() && hasClass(text[i + 1], kDigit))) {
      ++i;
      while (i < text.size()) {
        const char d = text[i];
        const char before = text[i - 1];
        if ((d == '+' || d == '-') &&
            (before == 'e' || before == 'E' || before == 'p' || before == 'P')) {
          ++i;
        } else if (hasClass(d, kWordChar) || d == '.') {
          ++i;
        } else {
          break;
        }
      }
      kind = PpToken::Number;
    } else if (c == '\'' || c == '"') {
      i = skipQuoted(text, i);
      kind = c == '\'' ? PpToken::Character : PpToken::String;
    } else {
      i += punctLength(text.substr(i));
      kind = PpToken::Punct;
    }
    tokens.push_back(PpToken{kind, std::string(text.substr(start, i - start)), spaced});
  }
  return tokens;
}

const std::vector<PpToken>& bodyTokens(std::string_view body, std::vector<PpToken>& scratch) {
  // Bytes kept at most, per thread (about, with the tokens): a long-running
  // process, or a kernel's build, meets ever new bodies.
  constexpr std::size_t kMostBytes = std::size_t{16} << 20;
  // Keyed by the text itself (a copy): the views a macro holds may be of texts
  // gone since, whose place a new text took.
  thread_local std::unordered_map<std::string, std::vector<PpToken>> kept;
  thread_local std::size_t keptBytes = 0;
  thread_local std::string key;
  key.assign(body);
  auto found = kept.find(key);
  if (found != kept.end()) return found->second;
  std::vector<PpToken> tokens = tokenizeExpression(body);
  const std::size_t bytes = 2 * body.size() + tokens.size() * sizeof(PpToken) + 64;
  if (keptBytes + bytes > kMostBytes) {
    scratch = std::move(tokens);
    return scratch;
  }
  keptBytes += bytes;
  return kept.emplace(key, std::move(tokens)).first->second;
}

namespace {

/// A value of a condition: an integer of C's intmax_t or uintmax_t, or not known.
struct Value {
  bool known = false;     // false: the symbols do not decide it
  bool isUnsigned = false;  // uintmax_t rather than intmax_t
  std::uint64_t bits = 0;   // the value's bits

  static Value of(std::int64_t v) { return Value{true, false, static_cast<std::uint64_t>(v)}; }
  static Value ofBool(bool b) { return of(b ? 1 : 0); }
  bool isTrue() const { return bits != 0; }
  std::int64_t asSigned() const { return static_cast<std::int64_t>(bits); }
};

/// Makes a condition ready to evaluate: `defined` looked up, the macros
/// expanded, and what is left that cannot be known marked so.
class Expander {
 public:
  Expander(const MacroTable& macros, bool byDefault) : macros_(macros), byDefault_(byDefault) {}

  bool expand(const std::vector<PpToken>& in, std::vector<PpToken>& out) {
    std::vector<PpToken> expanded = lookUpDefined(in);
    if (expandsAny(expanded)) {
      std::vector<PpToken> looked = std::move(expanded);
      if (!expandMacros(looked, macros_, expanded)) return false;
      // `defined` made by an expansion is looked up as well.
      expanded = lookUpDefined(std::move(expanded));
    }
    // A call left over is of a function-like macro not known here, or of
    // __has_include and the like.
    out.clear();
    out.reserve(expanded.size());
    for (std::size_t i = 0; i < expanded.size(); ++i) {
      PpToken& token = expanded[i];
      if (token.kind == PpToken::Identifier && i + 1 < expanded.size() &&
          expanded[i + 1].kind == PpToken::Punct && expanded[i + 1].text == "(") {
        out.push_back(unknowable());
        i = skipGroup(expanded, i + 1);
        continue;
      }
      out.push_back(std::move(token));
    }
    return true;
  }

 private:
  PpToken unknowable() const {
    return byDefault_ ? PpToken{PpToken::Number, "0", false} : PpToken{PpToken::Unknowable, "?", false};
  }

  // True when a name of `tokens` is a macro whose value is known: most conditions
  // hold none once `defined` is looked up, and need no expansion.
  bool expandsAny(const std::vector<PpToken>& tokens) const {
    for (const PpToken& token : tokens) {
      if (token.kind != PpToken::Identifier) continue;
      const MacroState& state = macros_.find(token.text);
      if (state.kind == MacroState::Defined && state.valueKnown) return true;
    }
    return false;
  }

  // `in` with each `defined X` replaced by what is known of X (its tokens moved).
  std::vector<PpToken> lookUpDefined(std::vector<PpToken> in) const {
    std::vector<PpToken> out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      if (in[i].kind == PpToken::Identifier && in[i].text == "defined") {
        i = takeDefined(in, i, out);
      } else {
        out.push_back(std::move(in[i]));
      }
    }
    return out;
  }

  // `defined X` or `defined ( X )` at `i`; returns the index of its last token.
  std::size_t takeDefined(const std::vector<PpToken>& in, std::size_t i,
                          std::vector<PpToken>& out) const {
    std::size_t at = i + 1;
    const bool parenthesised = at < in.size() && in[at].text == "(";
    if (parenthesised) ++at;
    if (at >= in.size() || in[at].kind != PpToken::Identifier) {
      out.push_back(unknowable());
      return in.size();
    }
    const MacroState& state = macros_.find(in[at].text);
    if (state.kind == MacroState::Unknown) {
      out.push_back(unknowable());
    } else {
      out.push_back(PpToken{PpToken::Number, state.kind == MacroState::Defined ? "1" : "0", false});
    }
    if (parenthesised) {
      if (at + 1 >= in.size() || in[at + 1].text != ")") {
        out.push_back(unknowable());
        return in.size();
      }
      ++at;
    }
    return at;
  }

  // The index of the ")" that closes the "(" at `open` (the last index when none does).
  static std::size_t skipGroup(const std::vector<PpToken>& in, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < in.size(); ++i) {
      if (in[i].text == "(") ++depth;
      if (in[i].text == ")" && --depth == 0) return i;
    }
    return in.size() - 1;
  }

  const MacroTable& macros_;
  bool byDefault_;  // what is not known counts as undefined
};

/// Reads an integer constant; not known when it does not fit or is no integer.
Value parseNumber(const std::string& text) {
  std::size_t i = 0;
  int base = 10;
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    i = 2;
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
    base = 2;
    i = 2;
  } else if (text[0] == '0') {
    base = 8;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  std::size_t digits = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c == '\'') {
      continue;  // a digit separator
    } else {
      break;
    }
    if (digit >= base) return Value{};
    if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) /
                    static_cast<unsigned>(base)) {
      overflow = true;
    }
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    ++digits;
  }
  if (overflow || (digits == 0 && base != 8)) return Value{};
  bool isUnsigned = false;
  int longs = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == 'u' || c == 'U') && !isUnsigned) {
      isUnsigned = true;
    } else if ((c == 'l' || c == 'L') && longs < 2) {
      ++longs;
    } else {
      return Value{};  // a floating constant or a suffix C does not have
    }
  }
  if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) isUnsigned = true;
  return Value{true, isUnsigned, value};
}

/// Reads a character constant: one character, escapes included.
Value parseCharacter(const std::string& text) {
  const std::size_t quote = text.find('\'');
  if (quote == std::string::npos || text.size() < quote + 3 || text.back() != '\'') return Value{};
  std::string_view body(text.data() + quote + 1, text.size() - quote - 2);
  std::int64_t value;
  std::size_t used;
  if (body[0] != '\\') {
    value = static_cast<signed char>(body[0]);
    used = 1;
  } else if (body.size() < 2) {
    return Value{};
  } else {
    const char e = body[1];
    used = 2;
    switch (e) {
      case 'n': value = '\n'; break;
      case 't': value = '\t'; break;
      case 'r': value = '\r'; break;
      case 'a': value = '\a'; break;
      case 'b': value = '\b'; break;
      case 'f': value = '\f'; break;
      case 'v': value = '\v'; break;
      case '\\': value = '\\'; break;
      case '\'': value = '\''; break;
      case '"': value = '"'; break;
      case '?': value = '?'; break;
      case 'x': {
        std::uint32_t v = 0;
        while (used < body.size() && hasClass(body[used], kWordChar)) {
          const char h = body[used];
          const int digit = hasClass(h, kDigit) ? h - '0'
                            : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                            : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                     : -1;
          if (digit < 0) return Value{};
          v = (v << 4) | static_cast<std::uint32_t>(digit);
          ++used;
        }
        value = static_cast<signed char>(v & 0xFF);
        break;
      }
      default: {
        if (e < '0' || e > '7') return Value{};
        std::uint32_t v = 0;
        used = 1;
        while (used < body.size() && used < 4 && body[used] >= '0' && body[used] <= '7') {
          v = v * 8 + static_cast<std::uint32_t>(body[used] - '0');
          ++used;
        }
        value = static_cast<signed char>(v & 0xFF);
        break;
      }
    }
  }
  if (used != body.size()) return Value{};  // several characters: the compiler's own choice
  return Value::of(value);
}

/// A recursive descent over the expanded tokens, with C's precedence.
class Parser {
 public:
  Parser(const std::vector<PpToken>& tokens, const MacroTable& macros, bool byDefault)
      : tokens_(tokens), macros_(macros), byDefault_(byDefault) {}

  Value parse(bool& malformed) {
    Value value = conditional();
    malformed = malformed_ || at_ != tokens_.size();
    return value;
  }

 private:
  bool accept(std::string_view punct) {
    if (at_ < tokens_.size() && tokens_[at_].kind == PpToken::Punct && tokens_[at_].text == punct) {
      ++at_;
      return true;
    }
    return false;
  }
  bool peek(std::string_view punct) const {
    return at_ < tokens_.size() && tokens_[at_].kind == PpToken::Punct && tokens_[at_].text == punct;
  }

  static Value combine(const Value& a, const Value& b) {
    Value v;
    v.known = a.known && b.known;
    v.isUnsigned = a.isUnsigned || b.isUnsigned;
    return v;
  }

  Value conditional() {
    if (++nesting_ > kMaxNesting) return fail();
    Value cond = logicalOr();
    if (accept("?")) {
      Value yes = conditional();
      if (!accept(":")) return fail();
      Value no = conditional();
      --nesting_;
      Value result = combine(yes, no);
      if (cond.known) {
        result.known = cond.isTrue() ? yes.known : no.known;
        result.bits = cond.isTrue() ? yes.bits : no.bits;
      } else if (yes.known && no.known && yes.bits == no.bits) {
        result.known = true;
        result.bits = yes.bits;
      } else {
        result.known = false;
      }
      return result;
    }
    --nesting_;
    return cond;
  }

  Value logicalOr() {
    Value left = logicalAnd();
    while (accept("||")) {
      Value right = logicalAnd();
      if ((left.known && left.isTrue()) || (right.known && right.isTrue())) {
        left = Value::ofBool(true);
      } else if (left.known && right.known) {
        left = Value::ofBool(false);
      } else {
        left = Value{};
      }
    }
    return left;
  }

  Value logicalAnd() {
    Value left = bitOr();
    while (accept("&&")) {
      Value right = bitOr();
      if ((left.known && !left.isTrue()) || (right.known && !right.isTrue())) {
        left = Value::ofBool(false);
      } else if (left.known && right.known) {
        left = Value::ofBool(true);
      } else {
        left = Value{};
      }
    }
    return left;
  }

  Value bitOr() {
    Value left = bitXor();
    while (!peek("||") && accept("|")) {
      Value right = bitXor();
      Value v = combine(left, right);
      v.bits = left.bits | right.bits;
      left = v;
    }
    return left;
  }

  Value bitXor() {
    Value left = bitAnd();
    while (accept("^")) {
      Value right = bitAnd();
      Value v = combine(left, right);
      v.bits = left.bits ^ right.bits;
      left = v;
    }
    return left;
  }

  Value bitAnd() {
    Value left = equality();
    while (!peek("&&") && accept("&")) {
      Value right = equality();
      Value v = combine(left, right);
      v.bits = left.bits & right.bits;
      left = v;
    }
    return left;
  }

  Value equality() {
    Value left = relational();
    for (;;) {
      bool equal;
      if (accept("==")) {
        equal = true;
      } else if (accept("!=")) {
        equal = false;
      } else {
        return left;
      }
      Value right = relational();
      Value v = combine(left, right);
      v.isUnsigned = false;
      v.bits = (left.bits == right.bits) == equal ? 1 : 0;
      left = v;
    }
  }

  Value relational() {
    Value left = shift();
    for (;;) {
      std::string op;
      for (std::string_view candidate : {"<=", ">=", "<", ">"}) {
        if (accept(candidate)) {
          op = candidate;
          break;
        }
      }
      if (op.empty()) return left;
      Value right = shift();
      Value v = combine(left, right);
      bool result;
      if (v.isUnsigned) {
        const std::uint64_t a = left.bits, b = right.bits;
        result = op == "<" ? a < b : op == ">" ? a > b : op == "<=" ? a <= b : a >= b;
      } else {
        const std::int64_t a = left.asSigned(), b = right.asSigned();
        result = op == "<" ? a < b : op == ">" ? a > b : op == "<=" ? a <= b : a >= b;
      }
      v.isUnsigned = false;
      v.bits = result ? 1 : 0;
      left = v;
    }
  }

  Value shift() {
    Value left = additive();
    for (;;) {
      bool toLeft;
      if (accept("<<")) {
        toLeft = true;
      } else if (accept(">>")) {
        toLeft = false;
      } else {
        return left;
      }
      Value right = additive();
      Value v = left;
      v.known = left.known && right.known;
      const std::uint64_t count = right.bits;
      if (count >= 64 || (!right.isUnsigned && right.asSigned() < 0)) {
        v.known = false;  // C leaves it undefined (and a known side or not, no shift is made)
      } else if (toLeft) {
        v.bits = left.bits << count;
      } else if (left.isUnsigned) {
        v.bits = left.bits >> count;
      } else {
        v.bits = static_cast<std::uint64_t>(left.asSigned() >> count);
      }
      left = v;
    }
  }

  Value additive() {
    Value left = multiplicative();
    for (;;) {
      bool plus;
      if (accept("+")) {
        plus = true;
      } else if (accept("-")) {
        plus = false;
      } else {
        return left;
      }
      Value right = multiplicative();
      Value v = combine(left, right);
      v.bits = plus ? left.bits + right.bits : left.bits - right.bits;
      left = v;
    }
  }

  Value multiplicative() {
    Value left = unary();
    for (;;) {
      char op;
      if (accept("*")) {
        op = '*';
      } else if (accept("/")) {
        op = '/';
      } else if (accept("%")) {
        op = '%';
      } else {
        return left;
      }
      Value right = unary();
      Value v = combine(left, right);
      if (!v.known) {
        left = v;
        continue;
      }
      if (op == '*') {
        v.bits = left.bits * right.bits;
      } else if (right.bits == 0) {
        v.known = false;
      } else if (v.isUnsigned) {
        v.bits = op == '/' ? left.bits / right.bits : left.bits % right.bits;
      } else if (left.asSigned() == std::numeric_limits<std::int64_t>::min() &&
                 right.asSigned() == -1) {
        v.known = false;
      } else {
        const std::int64_t a = left.asSigned(), b = right.asSigned();
        v.bits = static_cast<std::uint64_t>(op == '/' ? a / b : a % b);
      }
      left = v;
    }
  }

  Value unary() {
    if (++nesting_ > kMaxNesting) return fail();
    Value v;
    if (accept("!")) {
      Value operand = unary();
      v = operand;
      v.isUnsigned = false;
      v.bits = operand.isTrue() ? 0 : 1;
    } else if (accept("~")) {
      v = unary();
      v.bits = ~v.bits;
    } else if (accept("-")) {
      v = unary();
      v.bits = 0 - v.bits;
    } else if (accept("+")) {
      v = unary();
    } else {
      v = primary();
    }
    --nesting_;
    return v;
  }

  Value primary() {
    if (at_ >= tokens_.size()) return fail();
    const PpToken& token = tokens_[at_++];
    switch (token.kind) {
      case PpToken::Number: {
        Value v = parseNumber(token.text);
        if (!v.known) malformed_ = true;
        return v;
      }
      case PpToken::Character:
        return parseCharacter(token.text);
      case PpToken::Unknowable:
        return Value{};
      case PpToken::Identifier: {
        // A name left after expansion: 0 when it is known not to be a macro.
        const MacroState& state = macros_.find(token.text);
        if (byDefault_ && state.kind == MacroState::Unknown) return Value::of(0);
        return state.kind == MacroState::Undefined ? Value::of(0) : Value{};
      }
      case PpToken::Punct:
        if (token.text == "(") {
          Value v = conditional();
          if (!accept(")")) return fail();
          return v;
        }
        return fail();
      case PpToken::String:
      case PpToken::Placemarker:
        break;
    }
    return fail();
  }

  Value fail() {
    malformed_ = true;
    at_ = tokens_.size();
    return Value{};
  }

  const std::vector<PpToken>& tokens_;
  const MacroTable& macros_;
  bool byDefault_;  // what is not known counts as undefined
  std::size_t at_ = 0;
  int nesting_ = 0;
  bool malformed_ = false;
};

}  // namespace

Truth evaluateCondition(const std::vector<PpToken>& tokens, const MacroTable& macros) {
  std::vector<PpToken> expanded;
  Expander expander(macros, false);
  if (!expander.expand(tokens, expanded) || expanded.empty()) return Truth::Unknown;
  bool malformed = false;
  Value value = Parser(expanded, macros, false).parse(malformed);
  if (malformed || !value.known) return Truth::Unknown;
  return value.isTrue() ? Truth::True : Truth::False;
}

bool evaluateByDefault(const std::vector<PpToken>& tokens, const MacroTable& macros) {
  std::vector<PpToken> expanded;
  Expander expander(macros, true);
  if (!expander.expand(tokens, expanded) || expanded.empty()) return true;
  bool malformed = false;
  Value value = Parser(expanded, macros, true).parse(malformed);
  return malformed || !value.known || value.isTrue();
}

}  // namespace quenwick
