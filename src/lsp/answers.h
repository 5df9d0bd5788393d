// The answers to the requests about the code: the call hierarchy, definitions,
// references, hover and symbols, from the workspace's files and their call index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/call_index.h"
#include "lsp/json_rpc.h"
#include "lsp/text_columns.h"
#include "lsp/workspace.h"

namespace quenwick {

/// Builds each answer from the params of its request; throws `RequestError` for
/// params that are missing, of the wrong type, or name an unknown document.
class Answers {
 public:
  /// Answers from `workspace` and `index`, with columns counted in `encoding`.
  Answers(Workspace& workspace, CallIndex& index, PositionEncoding encoding)
      : workspace_(workspace), index_(index), encoding_(encoding) {}

  /// textDocument/prepareCallHierarchy
  Json prepareCallHierarchy(const Json& params);
  /// callHierarchy/incomingCalls
  Json incomingCalls(const Json& params);
  /// callHierarchy/outgoingCalls
  Json outgoingCalls(const Json& params);
  /// textDocument/definition
  Json definition(const Json& params);
  /// textDocument/references
  Json references(const Json& params);
  /// textDocument/hover
  Json hover(const Json& params);
  /// textDocument/documentSymbol
  Json documentSymbol(const Json& params);
  /// workspace/symbol
  Json workspaceSymbol(const Json& params);

  /// The file of the document named in `params.textDocument.uri`.
  SourceFile& documentOf(const Json& params);

 private:
  /// The identifier at `params.position` and what it stands for.
  struct Cursor {
    SourceFile* file = nullptr;  // the document
    NameAt at;                   // the name there (empty name: none)
    std::string name;            // holds the name's text
    std::uint32_t line = 0;      // 1-based line of the name
    std::uint32_t column = 0;    // 1-based byte column of the name
  };
  Cursor cursorOf(const Json& params);

  Json position(const SourceFile& file, SourcePlace place);
  Json range(const SourceFile& file, SourcePlace start, SourcePlace end);
  Json nameRange(const SourceFile& file, SourcePlace place, std::size_t length);
  Json selectionOf(std::uint32_t record);
  Json location(const SourceFile& file, const Json& range);
  Json item(std::uint32_t record);
  std::optional<std::uint32_t> recordOfItem(const Json& params);
  Json siteRanges(std::uint32_t caller, std::uint32_t name);
  std::string headLine(std::uint32_t record);
  std::string shownPath(const SourceFile& file) const;

  Workspace& workspace_;
  CallIndex& index_;
  PositionEncoding encoding_;
};

}  // namespace quenwick
