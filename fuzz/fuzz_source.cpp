// One source file, scanned under one of a few option sets. The first byte of the
// input picks the set; the rest is the file src.c.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// The option sets. Each ends with the source; set 3 reads it as an exclusion
// file too and scans it twice, set 4 scans it under two names.
const std::vector<std::vector<std::string>> kOptionSets = {
    {"-V", "src.c"},
    {"-P", "-M", "-N", "-TCON", "src.c"},
    {"src.c"},
    {"-Ckey", "-Dsym", "-Esrc.c", "-Ttree.txt", "src.c", "-C", "src.c"},
    {"-M", "-V", "-N", "src.c", "./src.c"},
};
constexpr std::size_t kRepeatingSet = 1;  // -P: shared subtrees are printed again

// With -P the tree can grow exponentially with the number of calls, by design;
// a source with few parentheses keeps it small.
constexpr std::size_t kMaxParenthesesRepeating = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  std::size_t set = data[0] % kOptionSets.size();
  std::string_view source = fuzzing::asText(data + 1, size - 1);
  if (set == kRepeatingSet && static_cast<std::size_t>(std::count(
                                  source.begin(), source.end(), '(')) > kMaxParenthesesRepeating) {
    set = 0;
  }
  fuzzing::clearScratch();
  fuzzing::writeScratchFile("src.c", source);
  std::vector<std::string> args{"quenwick"};
  args.insert(args.end(), kOptionSets[set].begin(), kOptionSets[set].end());
  // Nothing here can end the run early: no configuration, no table, /dev/null
  // never fails a write.
  if (fuzzing::runProgram(args) != 0) fuzzing::fail("a scan ended with status 1");
  return 0;
}
