// Reading request parameters: each missing member or wrong type ends the request
// with an InvalidParams error that names it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lsp/json_rpc.h"

namespace quenwick {

/// Thrown to answer a request with an error.
struct RequestError {
  ErrorCode code;       // the error code
  std::string message;  // what went wrong
};

/// The member `key` of `object` (named `path` in messages); throws when `object`
/// is no object or lacks it.
const Json& requireMember(const Json& object, const char* key, const char* path);
/// The object member `key`.
const Json& requireObject(const Json& object, const char* key, const char* path);
/// The string member `key`.
std::string requireString(const Json& object, const char* key, const char* path);
/// The member `key`, a whole number from 0 to 2^31 - 1.
std::uint32_t requireUnsigned(const Json& object, const char* key, const char* path);
/// The member `key` when it is there and not null, else null.
const Json* optionalMember(const Json& object, const char* key);

}  // namespace quenwick
