#include "cscan/c_scan.h"

#include "cscan/c_scanner.h"
#include "cscan/c_source.h"
#include "platform/text_input.h"

namespace quenwick {

namespace {

// The scan of `bytes`: a view is copied for the lexer, a string of the scan's
// own is read where it is.
template <typename Bytes>
FileFacts scanBytes(const std::string& path, Bytes&& bytes, const CScanConfig& config,
                    SymbolWatch* watch = nullptr) {
  FileFacts facts;
  facts.path = path;
  facts.read = true;
  if (holdsNul(bytes)) {
    facts.isText = false;
    return facts;
  }
  const SourceEncoding encoding = detectEncoding(bytes);
  const SourceText source(std::forward<Bytes>(bytes), encoding);
  facts.encoding = source.encoding();
  CScanner scanner(source, config, facts);
  scanner.watchLookups(watch);
  scanner.run();
  return facts;
}

}  // namespace

FileFacts scanCSource(const std::string& path, std::string_view bytes, const CScanConfig& config) {
  return scanBytes(path, bytes, config);
}

FileFacts scanCFile(const std::string& path, const CScanConfig& config) {
  return scanCFileWatching(path, config, nullptr);
}

FileFacts scanCFileWatching(const std::string& path, const CScanConfig& config, SymbolWatch* watch) {
  std::string bytes;
  const WholeFile read = readWholeFile(path, bytes, kMaxCSourceSize);
  if (read != WholeFile::Read) {
    FileFacts facts;
    facts.path = path;
    facts.read = false;
    facts.tooLarge = read == WholeFile::TooLarge;
    return facts;
  }
  if (watch != nullptr) watch->read.assign(watch->names.size(), 0);
  return scanBytes(path, std::move(bytes), config, watch);
}

}  // namespace quenwick
