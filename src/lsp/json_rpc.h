// JSON-RPC 2.0 as the protocol uses it: one message per frame, classified into
// requests, notifications and responses, with the protocol's error codes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quenwick {

using Json = nlohmann::json;

/// The error codes the server answers with.
enum class ErrorCode : int {
  ParseError = -32700,            // the body is no JSON text
  InvalidRequest = -32600,        // JSON, but not a message
  MethodNotFound = -32601,        // no such request
  InvalidParams = -32602,         // parameters missing or of the wrong type
  InternalError = -32603,         // the server failed
  ServerNotInitialized = -32002,  // a request before initialize
  RequestFailed = -32803,         // a valid request that cannot be carried out
  RequestCancelled = -32800,      // cancelled by $/cancelRequest
};

/// One message of the input.
struct Incoming {
  /// What the message is.
  enum Kind {
    Request,       // a method with an id: it gets a response
    Notification,  // a method without an id
    Response,      // the answer to a request of the server's
    Invalid,       // none of these: `error` and `message` say why
  };
  Kind kind = Invalid;       // what the message is
  Json id;                   // Request, Response: the id (a number or a string); else null
  std::string method;        // Request, Notification: the method
  Json params;               // Request, Notification: the parameters (null when absent)
  Json result;               // Response: the result, or the error object
  bool failed = false;       // Response: it carries an error
  ErrorCode error = ErrorCode::InvalidRequest;  // Invalid: the code to answer with
  std::string message;       // Invalid: what was wrong
};

/// How deeply a message's arrays and objects may nest.
inline constexpr std::size_t kMaxJsonDepth = 64;

/// Reads one frame's body as a message.
Incoming parseMessage(std::string_view body);

/// A response to `id` carrying `result`.
Json resultResponse(const Json& id, Json result);
/// A response to `id` carrying an error.
Json errorResponse(const Json& id, ErrorCode code, std::string_view message);
/// A notification of `method` with `params`.
Json notification(std::string_view method, Json params);
/// A request of the server's, `method` with `params`, under `id`.
Json request(const Json& id, std::string_view method, Json params);

/// The frame of `message`: its header and its body as UTF-8 (text that is no valid
/// UTF-8 is replaced, so the body is always valid JSON).
std::string framed(const Json& message);

}  // namespace quenwick
