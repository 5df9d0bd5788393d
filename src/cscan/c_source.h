// A source file made ready for the C lexer: its encoding decided, its line splices
// (a backslash at the end of a line) taken out, and what it takes to give every
// byte back its physical line and column.
#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tree/file_facts.h"

namespace quenwick {

/// True when `bytes` hold a NUL byte: no C source does.
bool holdsNul(std::string_view bytes);

/// How the bytes are read: UTF-8 when they are valid UTF-8, else code page 932.
SourceEncoding detectEncoding(std::string_view bytes);

/// The text of a file without its line splices. A backslash followed by a line
/// end (blanks between them allowed, as compilers do) joins two lines; in code
/// page 932 a backslash that is the second byte of a character never does. The
/// text is a copy that ends with a NUL byte, which the bytes must not hold.
class SourceText {
 public:
  /// Prepares a copy of `bytes`.
  SourceText(std::string_view bytes, SourceEncoding encoding);
  /// Prepares `bytes` themselves (a string given up), splices taken out where they are.
  template <typename String>
    requires std::same_as<String, std::string>
  SourceText(String&& bytes, SourceEncoding encoding) : encoding_(encoding), joined_(std::move(bytes)) {
    joinInPlace();
  }

  /// The text, splices taken out.
  std::string_view text() const { return text_; }
  /// The offsets in `text()` where a splice was taken out, ascending: the byte at
  /// each starts a new physical line.
  const std::vector<std::size_t>& splices() const { return splices_; }
  /// How the bytes are read.
  SourceEncoding encoding() const { return encoding_; }

 private:
  std::size_t spliceLength(std::string_view bytes, std::size_t at) const;
  template <typename TakeOut>
  void findSplices(std::string_view bytes, TakeOut takeOut) const;
  void joinInPlace();

  SourceEncoding encoding_;          // how the bytes are read
  std::string_view text_;            // `joined_`
  std::string joined_;               // the text with splices taken out
  std::vector<std::size_t> splices_; // where splices were, in `text_`
};

}  // namespace quenwick
