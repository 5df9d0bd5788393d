#include "cscan/c_scan.h"

#include "platform/text_input.h"

namespace quenwick {

FileFacts scanCSource(const std::string& path, std::string_view bytes, const CScanConfig& config) {
  (void)bytes;
  (void)config;
  FileFacts facts;
  facts.path = path;
  facts.read = true;
  return facts;
}

FileFacts scanCFile(const std::string& path, const CScanConfig& config) {
  std::string bytes;
  if (!readWholeFile(path, bytes)) {
    FileFacts facts;
    facts.path = path;
    facts.read = false;
    return facts;
  }
  return scanCSource(path, bytes, config);
}

}  // namespace quenwick
