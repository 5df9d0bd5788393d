#include "config/config_file.h"

#include <climits>

#include "config/texts.h"
#include "platform/byte_class.h"
#include "platform/text_input.h"

namespace quenwick {

namespace {

// A line is read in pieces as a 255-byte buffer holds them: 254 bytes at most.
constexpr std::size_t kLinePiece = 254;

const ConfigKey* matchKey(std::string_view line) {
  for (const ConfigKey& key : configKeys) {
    if (line.starts_with(key.key)) return &key;
  }
  return nullptr;
}

void applySetting(const ConfigKey& key, const std::string& value, Settings& settings) {
  switch (key.kind) {
    case SettingKind::SystemFunc:
      if (settings.systemFuncCount() < Settings::kMaxSystemFuncTables) {
        settings.systemFuncTables.push_back(value);
      }
      break;
    case SettingKind::Beep:
      settings.beep = leadingInteger(value);
      break;
    case SettingKind::Text:
      settings.*key.text = value;
      break;
  }
}

void processConfigLine(std::string_view line, Settings& settings, Console& console,
                       std::string& value) {
  line = line.substr(0, line.find(';'));
  if (line.find('=') == line.npos) return;
  const ConfigKey* key = matchKey(line);
  std::size_t quote = line.find('"');
  if (quote == line.npos) return;
  if (!extractQuotedValue(value, line.substr(quote + 1))) return;
  if (key == nullptr) {
    console.err.printf(textFormat(Text::UnknownConfig), std::string(line).c_str());
    return;
  }
  applySetting(*key, value, settings);
}

}  // namespace

bool extractQuotedValue(std::string& destination, std::string_view source) {
  std::size_t end = source.find('"');
  destination.assign(source.substr(0, end));
  return end != source.npos;
}

int leadingInteger(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && hasClass(value[i], kSpace)) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  long long magnitude = 0;
  for (; i < value.size() && hasClass(value[i], kDigit); ++i) {
    magnitude = std::min(magnitude * 10 + (value[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) return static_cast<int>(-magnitude);
  return static_cast<int>(std::min(magnitude, static_cast<long long>(INT_MAX)));
}

bool readConfiguration(const std::string& programDir, Settings& settings, Console& console) {
  TextInput file;
  if (!file.open(programDir + std::string(kConfigFileName))) return false;
  std::string piece, value;
  while (file.readLinePiece(piece, kLinePiece)) {
    processConfigLine(piece, settings, console, value);
  }
  return true;
}

}  // namespace quenwick
