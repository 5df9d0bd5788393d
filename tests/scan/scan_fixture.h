// A scanner over in-memory sources, with its console captured in memory files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "captured_fd.h"
#include "config/settings.h"
#include "platform/console.h"
#include "scan/scanner.h"
#include "shared/name_lists.h"
#include "shared/options.h"
#include "tree/function_table.h"

namespace quenwick::scantest {

/// The default caption keyword "機能:" as code page 932 bytes.
inline constexpr std::string_view kKeyword = "\x8b\x40\x94\x5c:";

/// The scanner with everything it is wired to, as one run holds them.
class ScanTest : public ::testing::Test {
 protected:
  ScanTest() {
    settings.caption = std::string(kKeyword);
    lists.defineList.appendName("1");
  }

  /// Starts a new file whose bytes are `text`.
  void open(std::string_view text) {
    scanner.resetForFile();
    scanner.reader.openSourceText(text);
  }

  /// The file-level scan of `text` as the file `name`, run to the end of the file.
  void scan(std::string_view text, const std::string& name = "t.c") {
    open(text);
    EXPECT_THROW(scanner.extractor.scanOpenedFile(name), EndOfFile);
  }

  /// Every significant character of `text`, with "<EOF>" for the -1 delivered at
  /// the end, up to the read that ends the file.
  std::string codeChars(std::string_view text) {
    open(text);
    std::string chars;
    try {
      for (;;) {
        int c = scanner.lexer.nextCodeChar();
        if (c < 0) {
          chars += "<EOF>";
        } else {
          chars.push_back(static_cast<char>(c));
        }
      }
    } catch (const EndOfFile&) {
    }
    return chars;
  }

  /// What the run wrote to standard output and to standard error so far.
  std::string out() {
    console.out.flush();
    return outFile.contents();
  }
  std::string err() {
    console.err.flush();
    return errFile.contents();
  }

  CapturedFd outFile;
  CapturedFd errFile;
  Console console{outFile.fd(), errFile.fd()};
  Settings settings;
  Options options;
  NameLists lists;
  FunctionTable table;
  Scanner scanner{settings, options, lists, table, console};
};

}  // namespace quenwick::scantest
