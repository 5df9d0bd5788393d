// A response file, r, handed to the program as @r. Its tokens may name options,
// the response file itself, a small source, an exclusion list and missing files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

namespace {

constexpr std::string_view kSource =
    "// \x8b\x40\x94\x5c: first\n"
    "int main(void) { f(1); g(); return 0; }\n"
    "int f(int x) { if (x) f(x - 1); return h(x); }\n"
    "void g(void) { f(2); }\n";
constexpr std::string_view kExclusions = "if return\nh/\n";

bool isBlank(char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}

// Tokens are cut as the program cuts them. In every token a "/" after the first
// byte becomes "_", so no name can leave the scratch folder (a token such as
// -T/etc/x would write there, -E../../dev/zero would never end). A response file
// that names itself twice opens 2^256 files before the nesting limit stops it,
// which never ends: at most one self-mention is allowed, and with it only a few
// tokens, as each of the 256 levels repeats the others.
bool sanitize(std::string& text) {
  std::size_t tokens = 0;
  std::size_t selfMentions = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (isBlank(text[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    for (; i < text.size() && !isBlank(text[i]); ++i) {
      if (i > start && text[i] == '/') text[i] = '_';
    }
    ++tokens;
    std::string_view token(text.data() + start, i - start);
    token = token.substr(0, token.find('\0'));  // a NUL ends the token's text
    if (token == "@r") ++selfMentions;
  }
  if (selfMentions > 1) return false;
  return selfMentions == 0 || tokens <= 12;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string response(fuzzing::asText(data, size));
  if (!sanitize(response)) return -1;
  fuzzing::clearScratch();
  fuzzing::writeScratchFile("r", response);
  fuzzing::writeScratchFile("src.c", kSource);
  fuzzing::writeScratchFile("ex.lst", kExclusions);
  if (fuzzing::runProgram({"quenwick", "@r"}) != 0) fuzzing::fail("a run ended with status 1");
  return 0;
}
