#include "lsp/json_rpc.h"

#include "config/format_text.h"

namespace quenwick {

namespace {

// The deepest nesting of arrays and objects in `body`, counted outside strings. The
// parse is refused beyond the limit, so that no later walk of the value goes deep.
bool nestsTooDeep(std::string_view body) {
  std::size_t depth = 0;
  bool inString = false;
  bool escape = false;
  for (char c : body) {
    if (inString) {
      if (escape) {
        escape = false;
      } else if (c == '\\') {
        escape = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxJsonDepth) return true;
    } else if ((c == '}' || c == ']') && depth > 0) {
      --depth;
    }
  }
  return false;
}

Incoming invalid(ErrorCode code, std::string message, Json id = nullptr) {
  Incoming incoming;
  incoming.kind = Incoming::Invalid;
  incoming.error = code;
  incoming.message = std::move(message);
  incoming.id = std::move(id);
  return incoming;
}

bool isValidId(const Json& id) {
  return id.is_string() || id.is_number_integer() || id.is_number_unsigned();
}

}  // namespace

Incoming parseMessage(std::string_view body) {
  if (nestsTooDeep(body)) {
    // Only the top level is kept, for the id to answer to.
    const Json shallow = Json::parse(
        body, [](int depth, Json::parse_event_t, Json&) { return depth < 2; }, false);
    Json id = nullptr;
    if (shallow.is_object()) {
      const auto it = shallow.find("id");
      if (it != shallow.end() && isValidId(*it)) id = *it;
    }
    return invalid(ErrorCode::InvalidRequest, formatText(Text::LspTooDeep, kMaxJsonDepth), id);
  }
  Json message = Json::parse(body, nullptr, false);
  if (message.is_discarded()) return invalid(ErrorCode::ParseError, formatText(Text::LspParseError));
  if (!message.is_object()) return invalid(ErrorCode::InvalidRequest, formatText(Text::LspNotObject));
  Json id = nullptr;
  const auto idIt = message.find("id");
  const bool hasId = idIt != message.end() && !idIt->is_null();
  if (hasId) {
    if (!isValidId(*idIt)) return invalid(ErrorCode::InvalidRequest, formatText(Text::LspBadId));
    id = *idIt;
  }
  const auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0") {
    return invalid(ErrorCode::InvalidRequest, formatText(Text::LspBadVersion), id);
  }
  const auto method = message.find("method");
  Incoming incoming;
  incoming.id = id;
  if (method == message.end()) {
    const auto result = message.find("result");
    const auto error = message.find("error");
    if (!hasId || (result == message.end()) == (error == message.end())) {
      return invalid(ErrorCode::InvalidRequest, formatText(Text::LspNoMethod), id);
    }
    incoming.kind = Incoming::Response;
    incoming.failed = error != message.end();
    incoming.result = incoming.failed ? *error : *result;
    return incoming;
  }
  if (!method->is_string()) return invalid(ErrorCode::InvalidRequest, formatText(Text::LspMethodNotString), id);
  incoming.method = method->get<std::string>();
  const auto params = message.find("params");
  if (params != message.end()) {
    if (!params->is_object() && !params->is_array() && !params->is_null()) {
      return invalid(ErrorCode::InvalidRequest, formatText(Text::LspBadParams), id);
    }
    incoming.params = *params;
  }
  incoming.kind = hasId ? Incoming::Request : Incoming::Notification;
  return incoming;
}

Json resultResponse(const Json& id, Json result) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json errorResponse(const Json& id, ErrorCode code, std::string_view message) {
  return Json{{"jsonrpc", "2.0"},
              {"id", id},
              {"error", {{"code", static_cast<int>(code)}, {"message", message}}}};
}

Json notification(std::string_view method, Json params) {
  return Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

Json request(const Json& id, std::string_view method, Json params) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

std::string framed(const Json& message) {
  const std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace quenwick
