#include "tree/tree_info.h"

#include <charconv>
#include <string>

namespace quenwick {

namespace {

void appendNumber(std::string& text, int number) {
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  text.append(digits, end);
}

}  // namespace

// The blocks are collected and written in large pieces: the stream may write out
// every call at once (standard error does).
void writeTreeInfo(const FunctionTable& table, OutStream& out) {
  constexpr std::size_t kPiece = 1 << 16;
  std::string text;
  for (const FuncRecord& record : table.records()) {
    text += ' ';
    text += record.filename;
    text += ' ';
    appendNumber(text, record.lines);
    text += '\n';
    text += record.name;
    text += ' ';
    appendNumber(text, record.called);
    text += ',';
    appendNumber(text, record.expanded);
    text += "\n{\n";
    for (std::uint32_t callee : table.Sons(record)) {
      text += table.nameOf(callee);
      text += '\n';
    }
    text += "}\n\n";
    if (text.size() >= kPiece) {
      out.write(text);
      text.clear();
    }
  }
  if (!text.empty()) out.write(text);
}

}  // namespace quenwick
