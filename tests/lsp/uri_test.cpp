#include "lsp/uri.h"

#include <gtest/gtest.h>

namespace quenwick {
namespace {

TEST(UriTest, PosixPaths) {
  EXPECT_EQ(pathOfUri("file:///tmp/a%20b/%E8%A1%A8.c", false), "/tmp/a b/\xE8\xA1\xA8.c");
  EXPECT_EQ(pathOfUri("FILE://localhost/x.c", false), "/x.c");
  EXPECT_EQ(pathOfUri("file:///x.c#frag", false), "/x.c");
  EXPECT_FALSE(pathOfUri("file://remote/x.c", false));
  EXPECT_FALSE(pathOfUri("untitled:Untitled-1", false));
  EXPECT_FALSE(pathOfUri("file:///bad%2", false));
  EXPECT_FALSE(pathOfUri("file:///nul%00.c", false));
  EXPECT_FALSE(pathOfUri("file://", false));
  EXPECT_EQ(uriOfPath("/tmp/a b/\xE8\xA1\xA8#.c"), "file:///tmp/a%20b/%E8%A1%A8%23.c");
}

TEST(UriTest, WindowsPaths) {
  EXPECT_EQ(pathOfUri("file:///c%3A/dir/a.c", true), "C:/dir/a.c");
  EXPECT_EQ(pathOfUri("file:///D:/dir%5Cb.c", true), "D:/dir/b.c");
  EXPECT_EQ(pathOfUri("file://server/share/a.c", true), "//server/share/a.c");
  EXPECT_EQ(uriOfPath("C:/dir/a.c"), "file:///C:/dir/a.c");
}

}  // namespace
}  // namespace quenwick
