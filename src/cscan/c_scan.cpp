#include "cscan/c_scan.h"

#include "cscan/c_scanner.h"
#include "cscan/c_source.h"
#include "platform/text_input.h"

namespace quenwick {

FileFacts scanCSource(const std::string& path, std::string_view bytes, const CScanConfig& config) {
  FileFacts facts;
  facts.path = path;
  facts.read = true;
  if (holdsNul(bytes)) {
    facts.isText = false;
    return facts;
  }
  const SourceText source(bytes, detectEncoding(bytes));
  facts.encoding = source.encoding();
  CScanner(source, config, facts).run();
  return facts;
}

FileFacts scanCFile(const std::string& path, const CScanConfig& config) {
  std::string bytes;
  const WholeFile read = readWholeFile(path, bytes, kMaxCSourceSize);
  if (read != WholeFile::Read) {
    FileFacts facts;
    facts.path = path;
    facts.read = false;
    facts.tooLarge = read == WholeFile::TooLarge;
    return facts;
  }
  return scanCSource(path, bytes, config);
}

}  // namespace quenwick
