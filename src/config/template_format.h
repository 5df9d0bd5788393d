// A safe subset of C formatted output for the drawing templates of the settings.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quenwick {

/// Where formatted bytes go.
class FormatSink {
 public:
  virtual ~FormatSink() = default;
  /// Appends bytes.
  virtual void write(std::string_view bytes) = 0;
  /// Appends `count` copies of `c`.
  virtual void pad(char c, std::size_t count) = 0;
};

/// One argument of a template: an int or a text.
struct TemplateArg {
  /// An int argument.
  TemplateArg(int number) : isText(false), number(number) {}
  /// A text argument.
  TemplateArg(std::string_view text) : isText(true), number(0), text(text) {}

  bool isText;            // which of the two it holds
  int number;             // the int, when !isText
  std::string_view text;  // the text, when isText
};

/// A template parsed once and formatted many times. Flags "-+ #0", width and
/// precision (digits or "*"), length modifiers (accepted and ignored) and the
/// conversions d i u x X o c s and "%%" are understood; for arguments that fit,
/// the bytes equal those of C's printf. A conversion that does not fit the next
/// argument (with "*", the next two), that finds too few arguments left, that has
/// any other letter, or that is cut off by the end of the template, is written out
/// as its own text and uses up no argument. Nothing reads a missing argument.
class Template {
 public:
  /// Parses `format`.
  explicit Template(std::string_view format = "");

  /// Formats with `args` into `sink`.
  void format(std::initializer_list<TemplateArg> args, FormatSink& sink) const;
  /// Formats with `args` into a new text.
  std::string toString(std::initializer_list<TemplateArg> args) const;
  /// The number of bytes that `format` would write with `args`.
  std::size_t measure(std::initializer_list<TemplateArg> args) const;

  /// One parsed piece: literal bytes or one conversion. Pieces keep offsets into
  /// the template's own byte store, so copies and moves of a Template stay valid.
  struct Piece {
    std::size_t offset = 0;     // first byte of the piece's text in `bytes_`
    std::size_t size = 0;       // length of that text: the literal, or the conversion as written
    char conversion = 0;        // 0 for a literal; otherwise the conversion letter
    bool leftAlign = false;     // flag "-"
    bool plusSign = false;      // flag "+"
    bool spaceSign = false;     // flag " "
    bool alternate = false;     // flag "#"
    bool zeroPad = false;       // flag "0"
    bool widthArg = false;      // width given as "*"
    bool precisionArg = false;  // precision given as "*"
    int width = 0;              // width given as digits
    int precision = -1;         // precision given as digits; -1 when none
  };

 private:
  /// Appends `bytes` as literal output, joining it to a literal just before.
  void appendLiteral(std::string_view bytes);
  /// Parses the conversion starting at the "%" at `start`; returns the index after it.
  std::size_t parseConversion(std::string_view format, std::size_t start);
  /// Writes one conversion if `args` from `next` fit it, advancing `next`; false otherwise.
  bool writeConversion(const Piece& piece, const TemplateArg*& next, const TemplateArg* end,
                       FormatSink& sink) const;
  /// The text of `piece` in the byte store.
  std::string_view textOf(const Piece& piece) const {
    return std::string_view(bytes_).substr(piece.offset, piece.size);
  }

  std::string bytes_;          // literal output and each conversion as written, back to back
  std::vector<Piece> pieces_;  // the template, parsed
};

/// A sink that appends to a text.
class StringSink : public FormatSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void write(std::string_view bytes) override { out_.append(bytes); }
  void pad(char c, std::size_t count) override { out_.append(count, c); }

 private:
  std::string& out_;
};

}  // namespace quenwick
