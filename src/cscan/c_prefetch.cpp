#include "cscan/c_prefetch.h"

#include <unordered_set>

#include "cscan/c_scan.h"
#include "platform/file_path.h"
#include "platform/text_input.h"

namespace quenwick {

namespace {

/// An #include still to follow.
struct Wanted {
  std::string name;               // "x.h" or <x.h>, as written
  std::string folder;             // the includer's folder
  const PrefetchSource* source;   // the file whose folders are searched
  int chain;                      // the folder the includer was found in (-1: none)
  bool next;                      // #include_next
};

// Where the compiler would find `wanted`, as the scan looks for it; empty when
// nowhere.
std::string find(HeaderCache& cache, const Wanted& wanted, int& chain) {
  const std::string inner = wanted.name.substr(1, wanted.name.size() - 2);
  chain = -1;
  if (isAbsolutePath(inner)) return cache.exists(normalPath(inner)) ? normalPath(inner) : std::string();
  const PrefetchSource& source = *wanted.source;
  if (wanted.name.front() == '"' && !wanted.next) {
    std::string path = normalPath(wanted.folder + "/" + inner);
    if (cache.exists(path)) return path;
    for (const std::string& folder : source.quoteFolders) {
      path = normalPath(folder + "/" + inner);
      if (cache.exists(path)) return path;
    }
  }
  const std::size_t from = wanted.next && wanted.chain >= 0 ? static_cast<std::size_t>(wanted.chain) + 1 : 0;
  for (std::size_t i = from; i < source.folders.size(); ++i) {
    std::string path = normalPath(source.folders[i] + "/" + inner);
    if (cache.exists(path)) {
      chain = static_cast<int>(i);
      return path;
    }
  }
  return std::string();
}

// Adds the #include lines of `text` to `queue`.
void want(const HeaderText& text, const PrefetchSource& source, int chain, std::vector<Wanted>& queue) {
  for (const HeaderLine& line : text.lines) {
    if ((line.kind != HeaderLine::Include && line.kind != HeaderLine::IncludeNext) || line.header.size() < 3) {
      continue;  // a computed #include needs the macros
    }
    queue.push_back(Wanted{line.header, folderOf(text.path), &source, chain,
                           line.kind == HeaderLine::IncludeNext});
  }
}

}  // namespace

void prefetchHeaders(HeaderCache& cache, const std::vector<PrefetchSource>& sources,
                     const std::atomic<bool>& enough, std::size_t most) {
  std::vector<Wanted> queue;
  std::unordered_set<std::string> read;  // the headers asked for
  // File by file, in the order the scans take them, each with what it includes.
  for (const PrefetchSource& source : sources) {
    std::string bytes;
    if (enough || read.size() >= most) return;
    // A file larger than this (an amalgamation) is left to its scan: reading it
    // here would keep the compilers' answers waiting.
    constexpr std::size_t kMostSourceBytes = std::size_t{1} << 20;
    if (readWholeFile(source.path, bytes, kMostSourceBytes) != WholeFile::Read) continue;
    // The file's own directives, read as a header's are: only its #include lines count.
    const std::shared_ptr<const HeaderText> own = readHeaderText(source.path, std::move(bytes));
    if (own) want(*own, source, -1, queue);
    while (!queue.empty() && read.size() < most && !enough) {
      const Wanted wanted = std::move(queue.back());
      queue.pop_back();
      int chain = -1;
      const std::string path = find(cache, wanted, chain);
      if (path.empty() || !read.insert(path).second) continue;
      const std::shared_ptr<const HeaderText> text = cache.get(path);
      if (text) want(*text, *wanted.source, chain, queue);
    }
  }
}

}  // namespace quenwick
