// The configuration file quenwick.cfg beside the program, followed by a small
// fixed scan and the tree, once plainly and once with -M -P -TCON.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// Two files that reach every template and marker: a caption, recursion, a
// repeated branch, a callee without definition, one with definitions in two
// other files, and a leaf from the table.
constexpr std::string_view kMain =
    "/* \x8b\x40\x94\x5c: entry point */\n"
    "int main(void) { walk(3); walk(2); helper(); printf(\"%d\", twice()); log_it(); return 0; }\n"
    "// \x8b\x40\x94\x5c: walks down\n"
    "static void walk(int n) { if (n) walk(n - 1); helper(); }\n"
    "void helper(void) { missing(); log_it(); }\n"
    "void log_it(void) { puts(\"x\"); }\n";
constexpr std::string_view kOther =
    "int twice(void) { return 2; }\n"
    "void log_it(void) {}\n";
constexpr std::string_view kOther2 = "int twice(void) { return 3; }\n";
constexpr std::string_view kTable = "printf puts if return\nlog_it/\n";

// Every "/" becomes "_", so a systemfunc name cannot leave the scratch folder
// (it could name /dev/zero or a FIFO and never end). A number of five digits or
// more is refused: a template such as "%999999999d" asks for a gigabyte of
// padding on every line, which is what the user asked for, not a fault.
bool sanitize(std::string& text) {
  std::size_t digits = 0;
  bool leading = true;
  for (char& c : text) {
    if (c == '/') c = '_';
    if (c >= '0' && c <= '9') {
      if (leading && c == '0') continue;
      leading = false;
      if (++digits > 4) return false;
    } else {
      digits = 0;
      leading = true;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string config(fuzzing::asText(data, size));
  if (!sanitize(config)) return -1;
  fuzzing::clearScratch();
  fuzzing::writeScratchFile("quenwick.cfg", config);
  fuzzing::writeScratchFile("main.c", kMain);
  fuzzing::writeScratchFile("other.c", kOther);
  fuzzing::writeScratchFile("other2.c", kOther2);
  fuzzing::writeScratchFile("libc.tbl", kTable);
  fuzzing::writeScratchFile("empty.tbl", "");
  const std::string program = fuzzing::scratchDir() + "quenwick";
  // A missing table gives status 1 before any argument; both statuses are fine.
  fuzzing::runProgram({program, "main.c", "other.c", "other2.c"});
  fuzzing::runProgram({program, "-M", "-P", "-TCON", "main.c", "other.c", "other2.c"});
  return 0;
}
