// The language server: the protocol's life cycle, the dispatch of each message, the
// first scan of the workspace with its progress, and the documents' changes.
// The protocol runs on one thread: the first scan runs in slices between reads of
// the input (each slice scans batches of files on every core), and requests that
// arrive during it wait for it.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lsp/call_index.h"
#include "lsp/json_rpc.h"
#include "lsp/message_reader.h"
#include "lsp/text_columns.h"
#include "lsp/workspace.h"
#include "shared/name_lists.h"

namespace quenwick {

/// Where the server's messages go.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Sends one message; false when it could not be written.
  virtual bool send(const Json& message) = 0;
};

/// What the server takes from its surroundings.
struct ServerSetup {
  std::string programDir;  // the program's folder, with its trailing "/": quenwick.cfg, tables
  bool useConfiguration = true;  // read quenwick.cfg and its tables (off for fuzzing)
};

/// One run of the server.
class Server {
 public:
  /// A server reading from `reader` and writing to `sink`.
  Server(MessageReader& reader, MessageSink& sink, ServerSetup setup);
  ~Server();

  /// Serves until `exit` or the end of the input; returns the exit status: 0 after
  /// shutdown, else 1.
  int run();
  /// Handles one frame as `run` does (for fuzzing). False once `exit` was received.
  bool handleFrame(Frame frame);
  /// Carries out every queued message and any unfinished scan.
  void settle();
  /// True once a message could not be written.
  bool outputFailed() const { return outputFailed_; }

 private:
  enum class Phase { Uninitialized, Scanning, Ready, ShutDown };

  void accept(Frame frame);
  void enqueue(Incoming message);
  void drainInput();
  void dispatchQueued();
  void dispatch(Incoming& message);
  void answerRequest(Incoming& message);
  Json callMethod(const std::string& method, const Json& params);
  void notify(Incoming& message);
  void respond(const Json& id, Json result);
  void fail(const Json& id, ErrorCode code, const std::string& message);
  void send(const Json& message);
  void log(int type, const std::string& message);

  Json initialize(const Json& params);
  void readClientCapabilities(const Json& capabilities);
  void readWorkspaceFolders(const Json& params);
  void configureScan(const Json& options);
  void startScan();
  void scanSlice();
  void finishScan();
  void waitForProgressToken();
  void sendProgress(const Json& value);
  void registerWatchers();
  void onResponse(Incoming& message);

  void didOpen(const Json& params);
  void didChange(const Json& params);
  void didSave(const Json& params);
  void headerChanged(const std::string& path);
  void didClose(const Json& params);
  void didChangeWatchedFiles(const Json& params);
  void changed(SourceFile& file);
  void ensureIndex();

  MessageReader& reader_;
  MessageSink& sink_;
  ServerSetup setup_;
  Phase phase_ = Phase::Uninitialized;
  bool exitReceived_ = false;
  bool outputFailed_ = false;
  std::deque<Incoming> queue_;  // messages read and not yet carried out

  // What the client offers.
  PositionEncoding encoding_ = PositionEncoding::Utf16;
  bool clientProgress_ = false;       // window.workDoneProgress
  bool clientWatchRegistration_ = false;  // dynamic registration of watched files
  Json progressToken_;                // the token of the scan's progress (null: none)
  bool progressCreated_ = false;      // the client accepted the token
  bool progressBegun_ = false;        // the begin was sent
  int lastPercent_ = -1;              // the last percentage reported
  std::chrono::steady_clock::time_point lastReport_;
  int nextRequestId_ = 1;             // ids of the server's own requests

  // The index.
  NameLists lists_;
  std::unique_ptr<Workspace> workspace_;
  std::optional<std::string> databaseNamed_;  // the "compileCommands" option, if given
  DatabaseOptions databaseOptions_;           // the compilers its entries may run
  CallIndex index_;
  bool indexStale_ = true;
  std::vector<std::string> pendingScan_;  // files of the first scan still to scan
  std::size_t scanTotal_ = 0;             // files of the first scan
  std::chrono::steady_clock::time_point scanStart_;
};

}  // namespace quenwick
