#include "tree/tree_info.h"

#include <charconv>

namespace quenwick {

namespace {

void writeNumber(OutStream& out, int number) {
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.write(std::string_view(digits, end - digits));
}

}  // namespace

void writeTreeInfo(const FunctionTable& table, OutStream& out) {
  for (const FuncRecord& record : table.records()) {
    out.put(' ');
    out.write(record.filename);
    out.put(' ');
    writeNumber(out, record.lines);
    out.put('\n');
    out.write(record.name);
    out.put(' ');
    writeNumber(out, record.called);
    out.put(',');
    writeNumber(out, record.expanded);
    out.write("\n{\n");
    for (const std::string& callee : record.Sons) {
      out.write(callee);
      out.put('\n');
    }
    out.write("}\n\n");
  }
}

}  // namespace quenwick
