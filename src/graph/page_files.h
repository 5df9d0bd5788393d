// The files of the page that --format=html writes (src/graph/page/), compiled into
// the program at build time.
#pragma once

#include <span>
#include <string_view>

namespace quenwick {

/// One file of the page: its name in src/graph/page/ and its bytes.
struct PageFile {
  std::string_view name;  // the file's name, such as "page.html"
  std::string_view text;  // the file's bytes, exactly as in the source tree
};

/// Every file of the page, in the order the build lists them.
std::span<const PageFile> pageFiles();

}  // namespace quenwick
