// Headers read ahead: while the compilers of a build are asked for their macros,
// another thread reads the headers its files are likely to include, so that the
// scans find them read. What it reads is what the scans would read themselves;
// it only comes earlier.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "cscan/c_build.h"

namespace quenwick {

/// A file of a build and where its headers are searched.
struct PrefetchSource {
  std::string path;                       // absolute, in normal form
  std::vector<std::string> quoteFolders;  // -iquote, for "x.h" after the file's own folder
  std::vector<std::string> folders;       // -I, -isystem, the compiler's own (as far as known), -idirafter
};

/// Reads into `cache` the headers that the files of `sources` include, and those
/// they include in turn, whatever the conditionals around each #include say;
/// stops when `enough` is set or `most` headers were read. Files over 1 MiB are
/// left out.
void prefetchHeaders(HeaderCache& cache, const std::vector<PrefetchSource>& sources,
                     const std::atomic<bool>& enough, std::size_t most);

}  // namespace quenwick
