#include "lsp/json_rpc.h"

#include <gtest/gtest.h>

#include <string>

namespace quenwick {
namespace {

TEST(JsonRpcTest, MessagesAreTold) {
  Incoming request = parseMessage(R"({"jsonrpc":"2.0","id":"a","method":"m","params":{"x":1}})");
  EXPECT_EQ(request.kind, Incoming::Request);
  EXPECT_EQ(request.id, "a");
  EXPECT_EQ(request.method, "m");
  EXPECT_EQ(request.params["x"], 1);
  Incoming note = parseMessage(R"({"jsonrpc":"2.0","method":"n"})");
  EXPECT_EQ(note.kind, Incoming::Notification);
  EXPECT_TRUE(note.params.is_null());
  Incoming answer = parseMessage(R"({"jsonrpc":"2.0","id":3,"error":{"code":1}})");
  EXPECT_EQ(answer.kind, Incoming::Response);
  EXPECT_TRUE(answer.failed);
  EXPECT_EQ(answer.result["code"], 1);
}

TEST(JsonRpcTest, WhatIsNoMessageGetsItsCode) {
  struct Case {
    const char* body;
    ErrorCode code;
    Json id;
  };
  const Case cases[] = {
      {"{", ErrorCode::ParseError, nullptr},
      {"\"\xFF\"", ErrorCode::ParseError, nullptr},
      {"[]", ErrorCode::InvalidRequest, nullptr},
      {R"({"id":4,"method":"m"})", ErrorCode::InvalidRequest, 4},
      {R"({"jsonrpc":"2.0","id":{},"method":"m"})", ErrorCode::InvalidRequest, nullptr},
      {R"({"jsonrpc":"2.0","id":1.5,"method":"m"})", ErrorCode::InvalidRequest, nullptr},
      {R"({"jsonrpc":"2.0","id":5,"method":["m"]})", ErrorCode::InvalidRequest, 5},
      {R"({"jsonrpc":"2.0","id":6,"method":"m","params":"p"})", ErrorCode::InvalidRequest, 6},
      {R"({"jsonrpc":"2.0","id":7,"result":1,"error":{}})", ErrorCode::InvalidRequest, 7},
      {R"({"jsonrpc":"2.0","result":1})", ErrorCode::InvalidRequest, nullptr},
  };
  for (const Case& c : cases) {
    Incoming message = parseMessage(c.body);
    EXPECT_EQ(message.kind, Incoming::Invalid) << c.body;
    EXPECT_EQ(message.error, c.code) << c.body;
    EXPECT_EQ(message.id, c.id) << c.body;
  }
}

TEST(JsonRpcTest, DeepNestingIsRefusedWithTheTopLevelId) {
  std::string deep(100000, '[');
  deep += std::string(100000, ']');
  Incoming message = parseMessage(R"({"jsonrpc":"2.0","params":)" + deep + R"(,"id":12,"method":"m"})");
  EXPECT_EQ(message.kind, Incoming::Invalid);
  EXPECT_EQ(message.error, ErrorCode::InvalidRequest);
  EXPECT_EQ(message.id, 12);
  // Brackets inside strings do not count.
  std::string quoted = R"({"jsonrpc":"2.0","method":"m","params":[")" + std::string(500, '[') + "\"]}";
  EXPECT_EQ(parseMessage(quoted).kind, Incoming::Notification);
}

TEST(JsonRpcTest, FramesCarryValidUtf8) {
  const std::string frame = framed(notification("n", Json{{"t", std::string("a\xFF")}}));
  EXPECT_EQ(frame, "Content-Length: 52\r\n\r\n"
                   "{\"jsonrpc\":\"2.0\",\"method\":\"n\",\"params\":{\"t\":\"a\xEF\xBF\xBD\"}}");
  EXPECT_EQ(errorResponse(2, ErrorCode::RequestCancelled, "c").dump(),
            R"({"error":{"code":-32800,"message":"c"},"id":2,"jsonrpc":"2.0"})");
}

}  // namespace
}  // namespace quenwick
