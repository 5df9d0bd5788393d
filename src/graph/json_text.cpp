#include "graph/json_text.h"

#include "graph/escape.h"

namespace quenwick {

JsonText& JsonText::stringPart(std::string_view bytes, Utf8Converter& via, bool lineFeedsReplaced) {
  converted_.clear();
  via.append(bytes, converted_);
  if (lineFeedsReplaced && converted_.find('\n') != std::string::npos) {
    std::string replaced;
    for (char c : converted_) {
      if (c == '\n') {
        replaced += "\xEF\xBF\xBD";
      } else {
        replaced.push_back(c);
      }
    }
    converted_.swap(replaced);
  }
  appendJsonEscaped(converted_, text_, forHtml_);
  pieceDone();
  return *this;
}

JsonText& JsonText::strings(const std::vector<std::string>& items, std::string_view separator) {
  raw("[");
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) raw(separator);
    string(items[i]);
  }
  return raw("]");
}

}  // namespace quenwick
