#include "lsp/uri.h"

#include "platform/ascii.h"
#include "platform/byte_class.h"

namespace quenwick {

namespace {

int hexValue(char c) {
  if (hasClass(c, kDigit)) return c - '0';
  const char lower = asciiLower(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

bool isDriveLetterPath(std::string_view path) {
  return path.size() >= 2 && (hasClass(path[0], kUpper) || hasClass(path[0], kLower)) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '/');
}

std::optional<std::string> decodePercent(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const char byte = static_cast<char>(high * 16 + low);
    if (byte == '\0') return std::nullopt;
    out.push_back(byte);
    i += 2;
  }
  return out;
}

}  // namespace

bool hostUsesWindowsPaths() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

std::optional<std::string> pathOfUri(std::string_view uri, bool windowsPaths) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() || !equalsIgnoringAsciiCase(uri.substr(0, 5), "file:") ||
      uri.substr(5, 2) != "//") {
    return std::nullopt;
  }
  std::string_view rest = uri.substr(kScheme.size());
  const std::size_t cut = rest.find_first_of("?#");
  if (cut != std::string_view::npos) rest = rest.substr(0, cut);
  const std::size_t slash = rest.find('/');
  const std::string_view host = rest.substr(0, slash);
  std::string_view encodedPath = slash == std::string_view::npos ? "" : rest.substr(slash);
  if (encodedPath.empty()) return std::nullopt;
  std::optional<std::string> path = decodePercent(encodedPath);
  if (!path) return std::nullopt;
  if (!windowsPaths) {
    if (!host.empty() && !equalsIgnoringAsciiCase(host, "localhost")) return std::nullopt;
    return path;
  }
  for (char& c : *path) {
    if (c == '\\') c = '/';
  }
  if (!host.empty() && !equalsIgnoringAsciiCase(host, "localhost")) {
    std::optional<std::string> server = decodePercent(host);
    if (!server) return std::nullopt;
    return "//" + *server + *path;  // a share: //server/share/...
  }
  std::string_view local = *path;
  if (local.size() >= 3 && local[0] == '/' && isDriveLetterPath(local.substr(1))) {
    std::string drive(local.substr(1));
    drive[0] = asciiUpper(drive[0]);
    return drive;
  }
  return path;
}

std::string uriOfPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  if (!path.empty() && path[0] != '/') uri.push_back('/');  // C:/... becomes /C:/...
  for (char c : path) {
    const bool plain = hasClass(c, kWordChar) || c == '-' || c == '.' || c == '~' || c == '/' ||
                       c == ':';
    if (c == '_' || plain) {
      uri.push_back(c);
    } else {
      const auto byte = static_cast<unsigned char>(c);
      uri.push_back('%');
      uri.push_back(kHex[byte >> 4]);
      uri.push_back(kHex[byte & 15]);
    }
  }
  return uri;
}

}  // namespace quenwick
