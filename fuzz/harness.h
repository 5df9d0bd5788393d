// What the fuzz targets share: a private scratch folder that each input's files are
// written into, and one whole run of the program in it with both console streams
// on /dev/null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenwick {
struct Console;
}  // namespace quenwick

namespace fuzzing {

/// The scratch folder of this process, an absolute path ending in "/". Made on
/// first use and removed when the process ends.
const std::string& scratchDir();

/// Empties the scratch folder (files the previous run left, such as a tree
/// information file, go too).
void clearScratch();

/// Writes `bytes` into the scratch folder as `name`.
void writeScratchFile(const std::string& name, std::string_view bytes);

/// Runs the program once with `args` (the program's path first) inside the
/// scratch folder and returns its exit status. Aborts, which the fuzzer reports,
/// when the status is neither 0 nor 1 or when the working folder cannot be
/// entered or left.
int runProgram(const std::vector<std::string>& args);

/// Runs `body` inside the scratch folder with a console whose streams are both on
/// /dev/null and returns what it returns. Aborts when the folder cannot be entered
/// or left.
int runInScratch(const std::function<int(quenwick::Console&)>& body);

/// The contents of the scratch file `name`; false when there is none.
bool readScratchFile(const std::string& name, std::string& bytes);

/// The bytes of the input as text.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

/// Aborts with `message` on standard error: a finding.
[[noreturn]] void fail(const char* message);

}  // namespace fuzzing
