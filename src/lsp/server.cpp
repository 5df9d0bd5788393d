#include "lsp/server.h"

#include <algorithm>
#include <new>

#include "config/config_file.h"
#include "config/settings.h"
#include "config/format_text.h"
#include "driver/exclusion_file.h"
#include "lsp/answers.h"
#include "lsp/params.h"
#include "lsp/uri.h"
#include "platform/console.h"
#include "platform/source_tree.h"
#include "platform/workers.h"

namespace quenwick {

namespace {

constexpr int kLogError = 1;
constexpr int kLogWarning = 2;
constexpr int kLogInfo = 3;
constexpr std::size_t kMaxWalkMessages = 100;           // messages of one walk at most
constexpr auto kScanSlice = std::chrono::milliseconds(20);  // scanning between two reads
constexpr std::size_t kFilesPerThread = 4;                  // files of a batch, per core
constexpr auto kReportEvery = std::chrono::milliseconds(100);
constexpr auto kProgressWait = std::chrono::seconds(2);  // for the client to accept a token
constexpr int kSyncIncremental = 2;
constexpr int kFileDeleted = 3;
constexpr const char* kProgressTokenName = "quenwick-lsp/scan";
constexpr const char* kVersion = "14.42";
constexpr std::int64_t kMaxTableSize = 16 * 1024 * 1024;

bool isSourcePath(const std::string& path) {
  return path.size() > 2 && path[path.size() - 2] == '.' &&
         (path.back() == 'c' || path.back() == 'h');
}

bool isAbsolutePath(const std::string& path) {
  return (!path.empty() && path[0] == '/') || (path.size() >= 3 && path[1] == ':');
}

const Json& member(const Json& object, const char* key) {
  static const Json kNull;
  const Json* found = optionalMember(object, key);
  return found ? *found : kNull;
}

bool flag(const Json& object, std::initializer_list<const char*> path) {
  const Json* at = &object;
  for (const char* key : path) {
    at = optionalMember(*at, key);
    if (at == nullptr) return false;
  }
  return at->is_boolean() && at->get<bool>();
}

}  // namespace

Server::Server(MessageReader& reader, MessageSink& sink, ServerSetup setup)
    : reader_(reader), sink_(sink), setup_(std::move(setup)) {}

Server::~Server() = default;

int Server::run() {
  try {
    while (!exitReceived_ && !outputFailed_) {
      if (phase_ == Phase::Scanning) {
        drainInput();
        if (phase_ == Phase::Scanning) scanSlice();
        continue;
      }
      if (!queue_.empty()) {
        dispatchQueued();
        continue;
      }
      std::optional<Frame> frame = reader_.next();
      if (!frame) break;
      accept(std::move(*frame));
    }
  } catch (const std::bad_alloc&) {
    return 1;
  }
  return phase_ == Phase::ShutDown && !outputFailed_ ? 0 : 1;
}

bool Server::handleFrame(Frame frame) {
  accept(std::move(frame));
  settle();
  return !exitReceived_;
}

void Server::settle() {
  while (!exitReceived_ && (phase_ == Phase::Scanning || !queue_.empty())) {
    if (phase_ == Phase::Scanning) {
      scanSlice();
    } else {
      dispatchQueued();
    }
  }
}

void Server::accept(Frame frame) {
  switch (frame.kind) {
    case Frame::Message: {
      Incoming message = parseMessage(frame.body);
      if (message.kind == Incoming::Invalid) {
        fail(message.id, message.error, message.message);
      } else {
        enqueue(std::move(message));
      }
      return;
    }
    case Frame::BadHeader:
      fail(nullptr, ErrorCode::ParseError, formatText(Text::LspBadHeader, frame.detail.c_str()));
      return;
    case Frame::TooLarge: {
      const std::string why =
          formatText(Text::LspMessageTooLarge, frame.length, FrameLimits().maxBody);
      Json id = Json::parse(frame.idText, nullptr, false);
      if (!id.is_discarded() && (id.is_string() || id.is_number_integer())) {
        fail(id, ErrorCode::InvalidRequest, why);
      } else {
        log(kLogError, why + (frame.method.empty() ? "" : " (" + frame.method + ")"));
      }
      return;
    }
  }
}

void Server::enqueue(Incoming message) {
  if (message.kind == Incoming::Response) {
    onResponse(message);
    return;
  }
  if (message.kind == Incoming::Notification && message.method == "$/cancelRequest") {
    const Json* id = optionalMember(message.params, "id");
    if (id == nullptr) return;
    auto it = std::find_if(queue_.begin(), queue_.end(), [&](const Incoming& queued) {
      return queued.kind == Incoming::Request && queued.id == *id;
    });
    if (it != queue_.end()) {
      fail(it->id, ErrorCode::RequestCancelled, formatText(Text::LspCancelled));
      queue_.erase(it);
    }
    return;
  }
  // Shutting down or leaving cuts the first scan short: what is scanned is kept.
  if (phase_ == Phase::Scanning && (message.method == "exit" || message.method == "shutdown")) {
    pendingScan_.clear();
    finishScan();
  }
  queue_.push_back(std::move(message));
}

void Server::drainInput() {
  while (!exitReceived_ && !outputFailed_) {
    std::optional<Frame> frame = reader_.poll();
    if (!frame) return;
    accept(std::move(*frame));
  }
}

void Server::dispatchQueued() {
  // Cancellations that have come in meanwhile apply before the next request runs.
  drainInput();
  if (queue_.empty() || phase_ == Phase::Scanning) return;
  Incoming message = std::move(queue_.front());
  queue_.pop_front();
  dispatch(message);
}

void Server::dispatch(Incoming& message) {
  try {
    if (message.kind == Incoming::Request) {
      answerRequest(message);
    } else {
      notify(message);
    }
  } catch (const std::bad_alloc&) {
    if (message.kind == Incoming::Request) {
      fail(message.id, ErrorCode::InternalError, formatText(Text::LspOutOfMemory));
    }
  }
}

void Server::answerRequest(Incoming& message) {
  const std::string& method = message.method;
  if (phase_ == Phase::Uninitialized) {
    if (method != "initialize") {
      fail(message.id, ErrorCode::ServerNotInitialized, formatText(Text::LspNotInitialized));
      return;
    }
    try {
      Json result = initialize(message.params);
      respond(message.id, std::move(result));
    } catch (const RequestError& error) {
      fail(message.id, error.code, error.message);
      return;
    }
    startScan();
    return;
  }
  if (phase_ == Phase::ShutDown) {
    fail(message.id, ErrorCode::InvalidRequest, formatText(Text::LspAfterShutdown));
    return;
  }
  if (method == "initialize") {
    fail(message.id, ErrorCode::InvalidRequest, formatText(Text::LspAlreadyInitialized));
    return;
  }
  if (method == "shutdown") {
    phase_ = Phase::ShutDown;
    respond(message.id, nullptr);
    return;
  }
  try {
    respond(message.id, callMethod(method, message.params));
  } catch (const RequestError& error) {
    fail(message.id, error.code, error.message);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    fail(message.id, ErrorCode::InternalError,
         formatText(Text::LspInternalError, error.what()));
  }
}

Json Server::callMethod(const std::string& method, const Json& params) {
  using Handler = Json (Answers::*)(const Json&);
  static const std::pair<const char*, Handler> kHandlers[] = {
      {"textDocument/prepareCallHierarchy", &Answers::prepareCallHierarchy},
      {"callHierarchy/incomingCalls", &Answers::incomingCalls},
      {"callHierarchy/outgoingCalls", &Answers::outgoingCalls},
      {"textDocument/definition", &Answers::definition},
      {"textDocument/references", &Answers::references},
      {"textDocument/hover", &Answers::hover},
      {"textDocument/documentSymbol", &Answers::documentSymbol},
      {"workspace/symbol", &Answers::workspaceSymbol},
  };
  for (const auto& [name, handler] : kHandlers) {
    if (method != name) continue;
    if (!params.is_object()) {
      throw RequestError{ErrorCode::InvalidParams,
                         formatText(Text::LspParamType, "params", textFormat(Text::LspTypeObject))};
    }
    ensureIndex();
    Answers answers(*workspace_, index_, encoding_);
    return (answers.*handler)(params);
  }
  throw RequestError{ErrorCode::MethodNotFound, formatText(Text::LspUnknownMethod, method.c_str())};
}

void Server::notify(Incoming& message) {
  const std::string& method = message.method;
  if (method == "exit") {
    exitReceived_ = true;
    return;
  }
  if (phase_ == Phase::Uninitialized || phase_ == Phase::ShutDown) return;
  try {
    if (method == "initialized") {
      registerWatchers();
    } else if (method == "textDocument/didOpen") {
      didOpen(message.params);
    } else if (method == "textDocument/didChange") {
      didChange(message.params);
    } else if (method == "textDocument/didSave") {
      didSave(message.params);
    } else if (method == "textDocument/didClose") {
      didClose(message.params);
    } else if (method == "workspace/didChangeWatchedFiles") {
      didChangeWatchedFiles(message.params);
    }
    // Any other notification, "$/" ones included, is ignored as the protocol allows.
  } catch (const RequestError& error) {
    log(kLogWarning, method + ": " + error.message);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    log(kLogError, method + ": " + formatText(Text::LspInternalError, error.what()));
  }
}

void Server::respond(const Json& id, Json result) {
  send(resultResponse(id, std::move(result)));
}

void Server::fail(const Json& id, ErrorCode code, const std::string& message) {
  send(errorResponse(id, code, message));
}

void Server::send(const Json& message) {
  if (outputFailed_) return;
  if (!sink_.send(message)) outputFailed_ = true;
}

void Server::log(int type, const std::string& message) {
  send(notification("window/logMessage", Json{{"type", type}, {"message", message}}));
}

Json Server::initialize(const Json& params) {
  if (!params.is_object()) {
    throw RequestError{ErrorCode::InvalidParams,
                       formatText(Text::LspParamType, "params", textFormat(Text::LspTypeObject))};
  }
  readClientCapabilities(member(params, "capabilities"));
  if (const Json* token = optionalMember(params, "workDoneToken");
      token != nullptr && (token->is_string() || token->is_number_integer())) {
    progressToken_ = *token;
    progressCreated_ = true;
  }
  configureScan(member(params, "initializationOptions"));
  readWorkspaceFolders(params);
  Json capabilities{
      {"positionEncoding", encoding_ == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
      {"textDocumentSync",
       {{"openClose", true}, {"change", kSyncIncremental}, {"save", {{"includeText", false}}}}},
      {"callHierarchyProvider", true},
      {"definitionProvider", true},
      {"referencesProvider", true},
      {"hoverProvider", true},
      {"documentSymbolProvider", true},
      {"workspaceSymbolProvider", true},
  };
  return Json{{"capabilities", capabilities},
              {"serverInfo", {{"name", "quenwick-lsp"}, {"version", kVersion}}}};
}

void Server::readClientCapabilities(const Json& capabilities) {
  if (const Json* general = optionalMember(capabilities, "general")) {
    if (const Json* encodings = optionalMember(*general, "positionEncodings");
        encodings != nullptr && encodings->is_array()) {
      for (const Json& offered : *encodings) {
        if (offered == "utf-8") encoding_ = PositionEncoding::Utf8;
      }
    }
  }
  clientProgress_ = flag(capabilities, {"window", "workDoneProgress"});
  clientWatchRegistration_ =
      flag(capabilities, {"workspace", "didChangeWatchedFiles", "dynamicRegistration"});
}

void Server::configureScan(const Json& options) {
  std::vector<std::string> problems;
  WorkspaceOptions read = readWorkspaceOptions(options, problems);
  for (const std::string& problem : problems) log(kLogWarning, problem);

  Settings settings;
  std::vector<std::string> tables;
  if (setup_.useConfiguration) {
    // The configuration may be a stranger's tree's (the installed command runs from
    // a folder that holds one): read only a plain file of a sane size.
    const std::int64_t size = regularFileSize(setup_.programDir + "quenwick.cfg");
    if (size >= 0 && size <= kMaxTableSize) {
      Console console(2, 2);
      readConfiguration(setup_.programDir, settings, console);
      tables = settings.systemFuncTables;
    }
  }
  if (read.systemTables) tables = *read.systemTables;
  for (const std::string& table : tables) {
    const std::string path = isAbsolutePath(table) ? table : setup_.programDir + table;
    // A table is a list of names: a device, a pipe or a huge file named as one (in the
    // configuration of a stranger's tree) is not read.
    const std::int64_t size = regularFileSize(path);
    if (size > kMaxTableSize) {
      log(kLogWarning, formatText(Text::LspTableTooLarge, path.c_str()));
      continue;
    }
    if (size < 0 || !readExclusionFile(path, lists_)) {
      log(kLogWarning, formatText(Text::LspTableMissing, path.c_str()));
    }
  }
  CScanConfig config;
  config.symbols = std::move(read.symbols);
  config.captions = true;
  config.captionKeyword = settings.caption;
  workspace_ = std::make_unique<Workspace>(std::move(config));
  workspace_->setLeftOut(read.leftOut);
  // The databases are read when the workspace folders are known.
  databaseNamed_ = std::move(read.compileCommands);
  if (read.queryDrivers) databaseOptions_.queryDrivers = std::move(*read.queryDrivers);
}

void Server::readWorkspaceFolders(const Json& params) {
  std::vector<std::string> uris;
  if (const Json* folders = optionalMember(params, "workspaceFolders");
      folders != nullptr && folders->is_array()) {
    for (const Json& folder : *folders) {
      if (const Json* uri = optionalMember(folder, "uri"); uri != nullptr && uri->is_string()) {
        uris.push_back(uri->get<std::string>());
      }
    }
  }
  if (uris.empty()) {
    if (const Json* root = optionalMember(params, "rootUri"); root != nullptr && root->is_string()) {
      uris.push_back(root->get<std::string>());
    } else if (const Json* path = optionalMember(params, "rootPath");
               path != nullptr && path->is_string()) {
      uris.push_back(uriOfPath(path->get<std::string>()));
    }
  }
  for (const std::string& uri : uris) {
    std::optional<std::string> path = pathOfUri(uri, hostUsesWindowsPaths());
    if (!path || !workspace_->addRoot(*path)) {
      log(kLogWarning, formatText(Text::LspNotFound, uri.c_str()));
    }
  }
}

void Server::startScan() {
  scanStart_ = std::chrono::steady_clock::now();
  if (workspace_->roots().empty()) log(kLogInfo, formatText(Text::LspNoWorkspace));
  std::vector<std::string> messages;
  workspace_->loadDatabases(databaseNamed_, databaseOptions_, messages);
  for (const std::string& message : messages) log(kLogInfo, message);
  messages.clear();
  pendingScan_ = workspace_->walk(messages);
  for (std::size_t i = 0; i < messages.size() && i < kMaxWalkMessages; ++i) {
    log(kLogWarning, messages[i]);
  }
  scanTotal_ = pendingScan_.size();
  std::reverse(pendingScan_.begin(), pendingScan_.end());
  phase_ = Phase::Scanning;
  if (clientProgress_ && !progressCreated_) {
    progressToken_ = kProgressTokenName;
    send(request("quenwick-lsp/progress-" + std::to_string(nextRequestId_++),
                 "window/workDoneProgress/create", Json{{"token", progressToken_}}));
    waitForProgressToken();
  }
  if (progressCreated_ && phase_ == Phase::Scanning) {
    progressBegun_ = true;
    lastPercent_ = 0;
    lastReport_ = std::chrono::steady_clock::now();
    sendProgress(Json{{"kind", "begin"},
                      {"title", formatText(Text::LspScanTitle)},
                      {"cancellable", false},
                      {"message", formatText(Text::LspScanProgress, std::size_t{0}, scanTotal_)},
                      {"percentage", 0}});
  }
  if (pendingScan_.empty() && phase_ == Phase::Scanning) finishScan();
}

// The client answers the token's creation before the scan reports on it; other
// messages read meanwhile wait in the queue.
void Server::waitForProgressToken() {
  const auto until = std::chrono::steady_clock::now() + kProgressWait;
  while (!progressCreated_ && !progressToken_.is_null() && !exitReceived_ && !outputFailed_ &&
         phase_ == Phase::Scanning && std::chrono::steady_clock::now() < until) {
    if (std::optional<Frame> frame = reader_.poll()) {
      accept(std::move(*frame));
      continue;
    }
    if (reader_.ended()) return;
    reader_.wait(20);
  }
}

void Server::onResponse(Incoming& message) {
  const Json& id = message.id;
  if (id.is_string() && id.get<std::string>().rfind("quenwick-lsp/progress-", 0) == 0) {
    if (message.failed) {
      progressToken_ = nullptr;
    } else {
      progressCreated_ = true;
    }
  }
}

void Server::sendProgress(const Json& value) {
  send(notification("$/progress", Json{{"token", progressToken_}, {"value", value}}));
}

void Server::scanSlice() {
  const auto until = std::chrono::steady_clock::now() + kScanSlice;
  const unsigned threads = workerCount();
  std::size_t unreadable = 0;
  while (!pendingScan_.empty()) {
    // A batch of a few files per core, read and scanned side by side; each file's
    // scan touches that file alone.
    const std::size_t count =
        std::min<std::size_t>(pendingScan_.size(), std::size_t{threads} * kFilesPerThread);
    std::vector<SourceFile*> batch;
    for (std::size_t i = 0; i < count; ++i) {
      batch.push_back(&workspace_->add(pendingScan_.back(), true));
      pendingScan_.pop_back();
    }
    std::vector<char> read(count, 0);
    runInOrder(
        count, threads, count, [&](std::size_t i) { read[i] = workspace_->rescan(*batch[i]); },
        [&](std::size_t i) {
          const std::string& path = batch[i]->path;
          if (!read[i]) {
            if (unreadable++ < kMaxWalkMessages) {
              log(kLogWarning, formatText(Text::LspFileUnreadable, path.c_str()));
            }
          } else if (!batch[i]->facts.isText) {
            log(kLogWarning, formatText(Text::LspNotText, path.c_str()));
          }
        });
    if (std::chrono::steady_clock::now() >= until) break;
  }
  if (progressBegun_) {
    const std::size_t done = scanTotal_ - pendingScan_.size();
    const int percent = scanTotal_ == 0 ? 100 : static_cast<int>(done * 100 / scanTotal_);
    const auto now = std::chrono::steady_clock::now();
    if (pendingScan_.empty() || (percent > lastPercent_ && now - lastReport_ >= kReportEvery)) {
      lastPercent_ = percent;
      lastReport_ = now;
      sendProgress(Json{{"kind", "report"},
                        {"message", formatText(Text::LspScanProgress, done, scanTotal_)},
                        {"percentage", percent}});
    }
  }
  if (pendingScan_.empty()) finishScan();
}

void Server::finishScan() {
  phase_ = Phase::Ready;
  indexStale_ = true;
  ensureIndex();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - scanStart_).count();
  const std::string summary =
      formatText(Text::LspScanDone, workspace_->files().size(), seconds,
                 index_.table().records().size(), index_.siteCount());
  log(kLogInfo, summary);
  if (progressBegun_) {
    progressBegun_ = false;
    sendProgress(Json{{"kind", "end"}, {"message", summary}});
  }
}

void Server::registerWatchers() {
  if (!clientWatchRegistration_) return;
  Json watchers = Json::array({Json{{"globPattern", "**/*.c"}}, Json{{"globPattern", "**/*.h"}}});
  Json registration{{"id", "quenwick-lsp/watch"},
                    {"method", "workspace/didChangeWatchedFiles"},
                    {"registerOptions", {{"watchers", watchers}}}};
  send(request("quenwick-lsp/register-" + std::to_string(nextRequestId_++),
               "client/registerCapability",
               Json{{"registrations", Json::array({registration})}}));
}

void Server::ensureIndex() {
  if (!indexStale_ || !workspace_) return;
  std::vector<const SourceFile*> files;
  files.reserve(workspace_->files().size());
  for (const auto& [path, file] : workspace_->files()) files.push_back(file.get());
  index_.rebuild(files, lists_);
  indexStale_ = false;
}

// A change that leaves the file's definitions and calls as they were, and only
// moves them (most typing does), keeps the index: it reads places from the facts.
void Server::changed(SourceFile& file) {
  FileFacts before = std::move(file.facts);
  workspace_->rescan(file);
  if (!sameShape(before, file.facts)) indexStale_ = true;
}

void Server::didOpen(const Json& params) {
  const Json& document = requireObject(params, "textDocument", "textDocument");
  const std::string uri = requireString(document, "uri", "textDocument.uri");
  std::string text = requireString(document, "text", "textDocument.text");
  SourceFile* file = workspace_->findUri(uri);
  if (file == nullptr) {
    const std::string path = Workspace::pathOfDocument(uri);
    file = &workspace_->add(path, workspace_->belongs(path));
  }
  file->uri = uri;
  file->open = true;
  file->buffer = std::move(text);
  changed(*file);
}

void Server::didChange(const Json& params) {
  const Json& document = requireObject(params, "textDocument", "textDocument");
  const std::string uri = requireString(document, "uri", "textDocument.uri");
  const Json& changes = requireMember(params, "contentChanges", "contentChanges");
  if (!changes.is_array()) {
    throw RequestError{ErrorCode::InvalidParams,
                       formatText(Text::LspParamType, "contentChanges", textFormat(Text::LspTypeArray))};
  }
  SourceFile* file = workspace_->findUri(uri);
  if (file == nullptr || !file->open) {
    throw RequestError{ErrorCode::InvalidParams, formatText(Text::LspUnknownDocument, uri.c_str())};
  }
  std::string& text = file->buffer;
  for (const Json& change : changes) {
    std::string replacement = requireString(change, "text", "contentChanges[].text");
    const Json* where = optionalMember(change, "range");
    if (where == nullptr) {
      text = std::move(replacement);
      continue;
    }
    const LineStarts lines(text);
    auto offsetOf = [&](const char* key, const char* path) {
      const Json& place = requireObject(*where, key, path);
      const std::uint32_t line = requireUnsigned(place, "line", "contentChanges[].range.line");
      const std::uint32_t character =
          requireUnsigned(place, "character", "contentChanges[].range.character");
      if (line >= lines.count()) return text.size();
      const std::string_view lineText = lines.line(text, line);
      return lines.start(text, line) +
             workspace_->columns().offsetOf(lineText, character, TextCoding::Utf8, encoding_);
    };
    const std::size_t begin = offsetOf("start", "contentChanges[].range.start");
    const std::size_t end = std::max(begin, offsetOf("end", "contentChanges[].range.end"));
    text.replace(begin, end - begin, replacement);
  }
  changed(*file);
}

void Server::didSave(const Json& params) {
  // The open text already counts, but a header's directives are read from the disk
  // by the scans of the files whose build includes it.
  const Json& document = requireObject(params, "textDocument", "textDocument");
  const std::string uri = requireString(document, "uri", "textDocument.uri");
  headerChanged(Workspace::pathOfDocument(uri));
}

// Scans again the files whose build read the directives of `path`, changed on disk.
void Server::headerChanged(const std::string& path) {
  for (SourceFile* reader : workspace_->headerChanged(path)) changed(*reader);
}

void Server::didClose(const Json& params) {
  const Json& document = requireObject(params, "textDocument", "textDocument");
  const std::string uri = requireString(document, "uri", "textDocument.uri");
  SourceFile* file = workspace_->findUri(uri);
  if (file == nullptr) return;
  file->open = false;
  file->buffer.clear();
  file->buffer.shrink_to_fit();
  if (file->inWorkspace) {
    changed(*file);
  } else {
    workspace_->remove(file->path);
    indexStale_ = true;
  }
}

void Server::didChangeWatchedFiles(const Json& params) {
  const Json& changes = requireMember(params, "changes", "changes");
  if (!changes.is_array()) {
    throw RequestError{ErrorCode::InvalidParams, formatText(Text::LspParamType, "changes", textFormat(Text::LspTypeArray))};
  }
  for (const Json& change : changes) {
    const std::string uri = requireString(change, "uri", "changes[].uri");
    const std::uint32_t type = requireUnsigned(change, "type", "changes[].type");
    headerChanged(Workspace::pathOfDocument(uri));
    SourceFile* file = workspace_->findUri(uri);
    if (file != nullptr && file->open) continue;  // the open text counts
    if (type == kFileDeleted) {
      if (file != nullptr) {
        workspace_->remove(file->path);
        indexStale_ = true;
      }
      continue;
    }
    if (file == nullptr) {
      const std::string path = Workspace::pathOfDocument(uri);
      if (!isSourcePath(path) || !workspace_->belongs(path)) continue;
      const std::int64_t size = regularFileSize(path);
      if (size < 0 || static_cast<std::uint64_t>(size) > kMaxSourceFileSize) continue;
      file = &workspace_->add(path, true);
    }
    changed(*file);
  }
}

}  // namespace quenwick
