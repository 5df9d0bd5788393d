#include "lsp/params.h"

#include "config/format_text.h"

namespace quenwick {

namespace {

[[noreturn]] void wrongType(const char* path, Text type) {
  throw RequestError{ErrorCode::InvalidParams, formatText(Text::LspParamType, path, textFormat(type))};
}

}  // namespace

const Json* optionalMember(const Json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(key);
  if (it == object.end() || it->is_null()) return nullptr;
  return &*it;
}

const Json& requireMember(const Json& object, const char* key, const char* path) {
  const Json* member = optionalMember(object, key);
  if (member == nullptr) {
    throw RequestError{ErrorCode::InvalidParams, formatText(Text::LspParamMissing, path)};
  }
  return *member;
}

const Json& requireObject(const Json& object, const char* key, const char* path) {
  const Json& member = requireMember(object, key, path);
  if (!member.is_object()) wrongType(path, Text::LspTypeObject);
  return member;
}

std::string requireString(const Json& object, const char* key, const char* path) {
  const Json& member = requireMember(object, key, path);
  if (!member.is_string()) wrongType(path, Text::LspTypeString);
  return member.get<std::string>();
}

std::uint32_t requireUnsigned(const Json& object, const char* key, const char* path) {
  const Json& member = requireMember(object, key, path);
  if (member.is_number_unsigned() && member.get<std::uint64_t>() <= 0x7FFFFFFFu) {
    return static_cast<std::uint32_t>(member.get<std::uint64_t>());
  }
  if (member.is_number_integer() && member.get<std::int64_t>() >= 0 &&
      member.get<std::int64_t>() <= 0x7FFFFFFF) {
    return static_cast<std::uint32_t>(member.get<std::int64_t>());
  }
  wrongType(path, Text::LspTypeNumber);
}

}  // namespace quenwick
