// The language server's message reader and dispatcher: the input is what the client
// sends after a fixed initialize on a small project in the scratch folder (and the
// answer to the server's request for a progress token). Every
// message the server sends must be a JSON-RPC object that frames as valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "harness.h"
#include "lsp/message_reader.h"
#include "lsp/server.h"

namespace {

using namespace quenwick;

constexpr std::string_view kMain =
    "#include \"u.h\"\n/* \xE8\xA1\xA8 */ int main(void) { return helper(1) + SQ(2); }\n"
    "static int helper(int x) { return x; }\n";
constexpr std::string_view kHeader = "#define SQ(x) mul(x, x)\nint mul(int a, int b);\n";
constexpr std::string_view kSjis = "int s(void) { /* \x95\x5C */ return mul(1, 2); }\n";

/// The fixed start, then the input, handed out in small pieces.
class InputSource : public ByteSource {
 public:
  explicit InputSource(std::string bytes) : bytes_(std::move(bytes)) {}
  long read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min<std::size_t>({size, 977, bytes_.size() - at_});
    bytes_.copy(buffer, n, at_);
    at_ += n;
    return static_cast<long>(n);
  }
  // At the end a read does not wait either: it reports the end.
  bool ready(int) override { return true; }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

class CheckedSink : public MessageSink {
 public:
  bool send(const Json& message) override {
    if (!message.is_object() || message.value("jsonrpc", "") != "2.0") {
      fuzzing::fail("the server sent no JSON-RPC message");
    }
    const std::string frame = framed(message);
    if (Json::parse(frame.substr(frame.find("\r\n\r\n") + 4), nullptr, false).is_discarded()) {
      fuzzing::fail("the server sent a body that is no JSON");
    }
    return true;
  }
};

std::string frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string start = [] {
    fuzzing::writeScratchFile("main.c", kMain);
    fuzzing::writeScratchFile("u.h", kHeader);
    fuzzing::writeScratchFile("sjis.c", kSjis);
    const std::string root = "file://" + fuzzing::scratchDir();
    return frame(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"rootUri":")" + root +
                 R"(","capabilities":{"window":{"workDoneProgress":true},)"
                 R"("workspace":{"didChangeWatchedFiles":{"dynamicRegistration":true}}}}})") +
           frame(R"({"jsonrpc":"2.0","id":"quenwick-lsp/progress-1","result":null})") +
           frame(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
  }();
  InputSource source(start + std::string(fuzzing::asText(data, size)));
  MessageReader reader(source);
  CheckedSink sink;
  ServerSetup setup;
  setup.useConfiguration = false;
  Server server(reader, sink, setup);
  const int status = server.run();
  if (status != 0 && status != 1) fuzzing::fail("the server ended with a status other than 0 or 1");
  return 0;
}
