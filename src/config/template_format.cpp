#include "config/template_format.h"

#include <climits>
#include <limits>

#include "platform/byte_class.h"

namespace quenwick {

namespace {

/// Sets the flag named by `c` on `piece`; false when `c` is no flag.
bool applyFlag(char c, Template::Piece& piece) {
  switch (c) {
    case '-':
      piece.leftAlign = true;
      return true;
    case '+':
      piece.plusSign = true;
      return true;
    case ' ':
      piece.spaceSign = true;
      return true;
    case '#':
      piece.alternate = true;
      return true;
    case '0':
      piece.zeroPad = true;
      return true;
    default:
      return false;
  }
}

/// Reads the digits at `pos` into `value`, moving past all of them. False when
/// the number exceeds INT_MAX (C's printf fails on such a conversion).
bool readNumber(std::string_view format, std::size_t& pos, int& value) {
  bool fits = true;
  value = 0;
  for (; pos < format.size() && hasClass(format[pos], kDigit); ++pos) {
    const int digit = format[pos] - '0';
    if (value > (INT_MAX - digit) / 10) fits = false;
    if (fits) value = value * 10 + digit;
  }
  return fits;
}

/// Moves `pos` past one length modifier (hh h l ll j z t L q), if there is one.
void skipLengthModifier(std::string_view format, std::size_t& pos) {
  if (pos >= format.size()) return;
  const char c = format[pos];
  if (c == 'h' || c == 'l') {
    ++pos;
    if (pos < format.size() && format[pos] == c) ++pos;
  } else if (c == 'j' || c == 'z' || c == 't' || c == 'L' || c == 'q') {
    ++pos;
  }
}

bool isKnownConversion(char c) {
  switch (c) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c':
    case 's':
    case '%':
      return true;
    default:
      return false;
  }
}

bool takesText(char conversion) {
  return conversion == 's';
}

/// Width, precision and alignment of one conversion once its "*" arguments are known.
struct Layout {
  std::size_t width = 0;
  int precision = -1;  // -1 when none
  bool leftAlign = false;
};

void padIfAny(FormatSink& sink, char c, std::size_t count) {
  if (count != 0) sink.pad(c, count);
}

/// Writes `body` padded to the layout's width with spaces.
void writePadded(std::string_view body, const Layout& layout, FormatSink& sink) {
  const std::size_t padding = layout.width > body.size() ? layout.width - body.size() : 0;
  if (!layout.leftAlign) padIfAny(sink, ' ', padding);
  sink.write(body);
  if (layout.leftAlign) padIfAny(sink, ' ', padding);
}

/// Writes the digits of `magnitude` in `base` at the end of `buffer`; returns them.
/// The buffer holds the longest case, 32-bit octal.
std::string_view renderDigits(unsigned magnitude, unsigned base, bool upper, char (&buffer)[16]) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char* const end = buffer + sizeof buffer;
  char* first = end;
  do {
    *--first = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  return std::string_view(first, static_cast<std::size_t>(end - first));
}

/// Writes `value` by conversion d i u x X o with the piece's flags.
void writeInteger(const Template::Piece& piece, int value, const Layout& layout, FormatSink& sink) {
  const char conversion = piece.conversion;
  const bool isSigned = conversion == 'd' || conversion == 'i';
  unsigned magnitude = static_cast<unsigned>(value);
  std::string_view prefix;
  if (isSigned) {
    if (value < 0) {
      magnitude = 0u - magnitude;
      prefix = "-";
    } else if (piece.plusSign) {
      prefix = "+";
    } else if (piece.spaceSign) {
      prefix = " ";
    }
  }
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  if (base == 16 && piece.alternate && magnitude != 0) prefix = conversion == 'x' ? "0x" : "0X";

  // A zero precision writes no digits for zero.
  char buffer[16];
  std::string_view digits;
  if (magnitude != 0 || layout.precision != 0) {
    digits = renderDigits(magnitude, base, conversion == 'X', buffer);
  }
  std::size_t zeros = 0;
  if (layout.precision > 0 && static_cast<std::size_t>(layout.precision) > digits.size()) {
    zeros = static_cast<std::size_t>(layout.precision) - digits.size();
  }
  // "#" with octal makes sure the number starts with a zero.
  if (base == 8 && piece.alternate && zeros == 0 && (digits.empty() || digits[0] != '0')) {
    zeros = 1;
  }

  const std::size_t length = prefix.size() + zeros + digits.size();
  const std::size_t padding = layout.width > length ? layout.width - length : 0;
  // The "0" flag pads after the sign, but not with "-" or with a precision.
  const bool padWithZeros = piece.zeroPad && !layout.leftAlign && layout.precision < 0;
  if (!layout.leftAlign && !padWithZeros) padIfAny(sink, ' ', padding);
  if (!prefix.empty()) sink.write(prefix);
  padIfAny(sink, '0', zeros + (padWithZeros ? padding : 0));
  if (!digits.empty()) sink.write(digits);
  if (layout.leftAlign) padIfAny(sink, ' ', padding);
}

/// Counts bytes instead of keeping them, saturating rather than wrapping.
class CountingSink : public FormatSink {
 public:
  void write(std::string_view bytes) override { add(bytes.size()); }
  void pad(char, std::size_t count) override { add(count); }
  /// The number of bytes seen.
  std::size_t total() const { return total_; }

 private:
  void add(std::size_t count) {
    const std::size_t room = std::numeric_limits<std::size_t>::max() - total_;
    total_ = count > room ? std::numeric_limits<std::size_t>::max() : total_ + count;
  }

  std::size_t total_ = 0;
};

}  // namespace

Template::Template(std::string_view format) {
  std::size_t pos = 0;
  while (pos < format.size()) {
    const std::size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      appendLiteral(format.substr(pos));
      break;
    }
    appendLiteral(format.substr(pos, percent - pos));
    pos = parseConversion(format, percent);
  }
}

void Template::appendLiteral(std::string_view bytes) {
  if (bytes.empty()) return;
  if (pieces_.empty() || pieces_.back().conversion != 0) {
    pieces_.push_back(Piece{.offset = bytes_.size()});
  }
  bytes_.append(bytes);
  pieces_.back().size += bytes.size();
}

std::size_t Template::parseConversion(std::string_view format, std::size_t start) {
  Piece piece;
  std::size_t pos = start + 1;
  while (pos < format.size() && applyFlag(format[pos], piece)) ++pos;

  bool numbersFit = true;
  if (pos < format.size() && format[pos] == '*') {
    piece.widthArg = true;
    ++pos;
  } else {
    numbersFit = readNumber(format, pos, piece.width);
  }
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    if (pos < format.size() && format[pos] == '*') {
      piece.precisionArg = true;
      ++pos;
    } else {
      numbersFit = readNumber(format, pos, piece.precision) && numbersFit;
    }
  }
  skipLengthModifier(format, pos);

  // Cut off by the end of the template: the rest is written as it is.
  if (pos >= format.size()) {
    appendLiteral(format.substr(start));
    return format.size();
  }
  const char conversion = format[pos++];
  const std::string_view written = format.substr(start, pos - start);
  if (!numbersFit || !isKnownConversion(conversion)) {
    appendLiteral(written);
    return pos;
  }
  // Like C's printf, "%" after flags, width, precision or length ("%5%", "%-%",
  // "%l%") writes a single "%" and ignores them. A "*" there still takes its int
  // argument, so "%*%" stays a conversion that needs one.
  if (conversion == '%' && !piece.widthArg && !piece.precisionArg) {
    appendLiteral("%");
    return pos;
  }
  piece.conversion = conversion;
  piece.offset = bytes_.size();
  piece.size = written.size();
  bytes_.append(written);
  pieces_.push_back(piece);
  return pos;
}

bool Template::writeConversion(const Piece& piece, const TemplateArg*& next, const TemplateArg* end,
                               FormatSink& sink) const {
  const bool takesValue = piece.conversion != '%';
  const std::size_t needed = std::size_t{piece.widthArg} + piece.precisionArg + takesValue;
  if (static_cast<std::size_t>(end - next) < needed) return false;

  const TemplateArg* arg = next;
  int width = piece.width;
  int precision = piece.precision;
  if (piece.widthArg) {
    if (arg->isText) return false;
    width = arg++->number;
  }
  if (piece.precisionArg) {
    if (arg->isText) return false;
    precision = arg->number < 0 ? -1 : arg->number;
    ++arg;
  }
  if (!takesValue) {
    sink.write("%");
    next = arg;
    return true;
  }
  if (arg->isText != takesText(piece.conversion)) return false;
  // C's printf fails on a width of INT_MIN, whose negation is no int.
  if (width == INT_MIN) return false;

  Layout layout;
  layout.leftAlign = piece.leftAlign || width < 0;
  layout.width = static_cast<std::size_t>(width < 0 ? -width : width);
  layout.precision = precision;
  if (piece.conversion == 's') {
    std::string_view text = arg->text;
    if (precision >= 0) text = text.substr(0, static_cast<std::size_t>(precision));
    writePadded(text, layout, sink);
  } else if (piece.conversion == 'c') {
    const char c = static_cast<char>(static_cast<unsigned char>(arg->number));
    writePadded(std::string_view(&c, 1), layout, sink);
  } else {
    writeInteger(piece, arg->number, layout, sink);
  }
  next = arg + 1;
  return true;
}

void Template::format(std::initializer_list<TemplateArg> args, FormatSink& sink) const {
  const TemplateArg* next = args.begin();
  for (const Piece& piece : pieces_) {
    if (piece.conversion == 0 || !writeConversion(piece, next, args.end(), sink)) {
      sink.write(textOf(piece));
    }
  }
}

std::string Template::toString(std::initializer_list<TemplateArg> args) const {
  std::string out;
  StringSink sink(out);
  format(args, sink);
  return out;
}

std::size_t Template::measure(std::initializer_list<TemplateArg> args) const {
  CountingSink sink;
  format(args, sink);
  return sink.total();
}

}  // namespace quenwick
