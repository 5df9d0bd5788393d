// quenwick-lsp's entry point: the language server on standard input and output.
#include <string>
#include <vector>

#include "config/texts.h"
#include "driver/entry.h"
#include "lsp/message_reader.h"
#include "lsp/server.h"
#include "platform/raw_io.h"

namespace {

using namespace quenwick;

/// Standard input, read as it comes.
class StandardInput : public ByteSource {
 public:
  long read(char* buffer, std::size_t size) override { return readSome(0, buffer, size); }
  bool ready(int timeoutMs) override { return inputReady(0, timeoutMs); }
};

/// Standard output, one whole frame per message.
class StandardOutput : public MessageSink {
 public:
  bool send(const Json& message) override { return writeAll(1, framed(message)); }
};

// The program's folder, with its trailing "/": where quenwick.cfg and the tables are.
std::string programDirOf(const char* argv0) {
  std::string path = argv0 ? argv0 : "";
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

int runServer(int argc, char** argv, Console& console) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "--version") {
      console.out.write(text(argument == "--help" ? Text::LspUsage : Text::LspVersion));
      console.out.flush();
      return console.out.failed() ? 1 : 0;
    }
    // Editors pass "--stdio" to servers that offer several channels; it is the only one.
    if (argument == "--stdio") continue;
    console.err.printf(textFormat(Text::LspUnknownOption), argument.c_str());
    return 2;
  }
  // The protocol owns standard output: every byte goes out as it is.
  setBinaryMode(0);
  setBinaryMode(1);
  ignoreBrokenPipe();
  StandardInput input;
  StandardOutput output;
  MessageReader reader(input);
  ServerSetup setup;
  setup.programDir = programDirOf(argc > 0 ? argv[0] : nullptr);
  Server server(reader, output, setup);
  const int status = server.run();
  if (server.outputFailed()) console.err.write(text(Text::LspWriteFailed));
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runServer);
}
