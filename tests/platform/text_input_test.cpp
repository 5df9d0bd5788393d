#include "platform/text_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace quenwick {
namespace {

using namespace std::string_literals;

constexpr std::size_t kChunk = TextInput::kChunkSize;
constexpr std::size_t kLinePiece = 254;  // a 255-byte line buffer

// A scratch directory removed with the fixture.
class TextInputFileTest : public ScratchDirTest {};

std::string readAll(TextInput& in) {
  std::string text;
  for (int c = in.get(); c >= 0; c = in.get()) text.push_back(static_cast<char>(c));
  return text;
}

std::string fromMemory(std::string_view bytes) {
  TextInput in;
  in.openMemory(bytes);
  return readAll(in);
}

// The expected text-mode view: each CR LF becomes LF, nothing else changes.
std::string folded(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out.push_back(bytes[i]);
  }
  return out;
}

TEST(TextInputTest, FoldsOnlyCrLfPairsInMemory) {
  EXPECT_EQ(fromMemory("a\r\nb\n"), "a\nb\n");
  EXPECT_EQ(fromMemory("\r\r\n"), "\r\n");
  EXPECT_EQ(fromMemory("a\rb\n\r"), "a\rb\n\r");
  EXPECT_EQ(fromMemory("\r"), "\r");
  EXPECT_EQ(fromMemory("\n\r\r\r\n\r"), "\n\r\r\n\r");
  EXPECT_EQ(fromMemory("x\0\r\n\xff"s), "x\0\n\xff"s);
  EXPECT_EQ(fromMemory(""), "");
}

TEST(TextInputTest, EndIsStickyAndCloseEndsInput) {
  TextInput in;
  EXPECT_EQ(in.get(), -1);
  in.openMemory("ab");
  EXPECT_EQ(in.get(), 'a');
  in.close();
  EXPECT_EQ(in.get(), -1);
  in.openMemory("\xe9");
  EXPECT_EQ(in.get(), 0xe9);
  EXPECT_EQ(in.get(), -1);
  EXPECT_EQ(in.get(), -1);
}

TEST_F(TextInputFileTest, MissingFileAndDirectoryCannotBeOpened) {
  TextInput in;
  EXPECT_FALSE(in.open((dir_ / "absent.c").string()));
  EXPECT_FALSE(in.open(dir_.string()));
  EXPECT_EQ(in.get(), -1);
  EXPECT_FALSE(in.open(writeFile("plain", "x") + "/"));
}

TEST_F(TextInputFileTest, WholeFileWithinALimit) {
  const std::string file = writeFile("ten", "0123456789");
  std::string bytes;
  EXPECT_EQ(readWholeFile(file, bytes, 10), WholeFile::Read);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(readWholeFile(file, bytes, 9), WholeFile::TooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(readWholeFile(path("absent"), bytes, 9), WholeFile::Unreadable);
#ifndef _WIN32
  // A device that never ends stops at the limit.
  EXPECT_EQ(readWholeFile("/dev/zero", bytes, 1 << 20), WholeFile::TooLarge);
  EXPECT_TRUE(bytes.empty());
#endif
}

TEST_F(TextInputFileTest, CrLfAcrossTheChunkBoundary) {
  // Every size around one and two chunks, with line ends placed so that the CR
  // falls just before, on, and just after the last byte of a chunk.
  const std::string tails[] = {"\r\n", "\r\r\n", "\r\r", "\r", "\r\nx", "\rx", "\n\r\n", "\r\n\r"};
  int files = 0;
  for (std::size_t size : {kChunk - 1, kChunk, kChunk + 1, kChunk + 2, 2 * kChunk + 1}) {
    for (std::size_t crAt : {kChunk - 2, kChunk - 1, kChunk, 2 * kChunk - 1}) {
      for (const std::string& tail : tails) {
        if (crAt + tail.size() > size) continue;
        std::string bytes(size, 'x');
        for (std::size_t i = 97; i < size; i += 97) bytes[i] = '\n';
        bytes.replace(crAt, tail.size(), tail);
        TextInput in;
        ASSERT_TRUE(in.open(writeFile("f" + std::to_string(files++), bytes)));
        std::string got = readAll(in);
        ASSERT_EQ(got, folded(bytes))
            << "size " << size << " CR at " << crAt << " tail " << testing::PrintToString(tail);
        EXPECT_EQ(fromMemory(bytes), got);
      }
    }
  }
  EXPECT_GT(files, 50);
}

TEST_F(TextInputFileTest, LoneCrEndingAFullChunkIsDelivered) {
  std::string bytes(kChunk - 1, 'y');
  bytes += '\r';
  TextInput in;
  ASSERT_TRUE(in.open(writeFile("lone", bytes)));
  EXPECT_EQ(readAll(in), bytes);
  // The same object reads a second file from the start.
  ASSERT_TRUE(in.open(writeFile("cr", "\r")));
  EXPECT_EQ(readAll(in), "\r");
  ASSERT_TRUE(in.open(writeFile("empty", "")));
  EXPECT_EQ(in.get(), -1);
}

TEST(TextInputTest, ReadTokenSplitsAtBlanksAndCutsAtNul) {
  TextInput in;
  in.openMemory(
      " \t\v\f\r\nfoo\x01"
      "bar\nx\0yz  \0 \xa0q \r\n"s);
  std::string token = "stale";
  ASSERT_TRUE(in.readToken(token));
  EXPECT_EQ(token,
            "foo\x01"
            "bar");
  ASSERT_TRUE(in.readToken(token));
  EXPECT_EQ(token, "x");  // "yz" after the NUL is consumed with the token
  ASSERT_TRUE(in.readToken(token));
  EXPECT_EQ(token, "");  // a token made of a NUL only
  ASSERT_TRUE(in.readToken(token));
  EXPECT_EQ(token, "\xa0q");  // bytes above 127 are not blanks
  EXPECT_FALSE(in.readToken(token));
  EXPECT_EQ(token, "");
  in.openMemory("last");
  ASSERT_TRUE(in.readToken(token));
  EXPECT_EQ(token, "last");
  EXPECT_FALSE(in.readToken(token));
}

TEST(TextInputTest, ReadLinePieceFillsLikeAFixedLineBuffer) {
  std::string full(kLinePiece, 'a');
  std::string text = "one\n" + full + "\n" + std::string(300, 'b') + "\r\n" +
                     std::string(kLinePiece - 1, 'c') + "\r\n" + "d\0e\nf\0\nend"s;
  TextInput in;
  in.openMemory(text);
  std::string piece;
  std::vector<std::string> pieces;
  while (in.readLinePiece(piece, kLinePiece)) pieces.push_back(piece);
  std::vector<std::string> expected = {
      "one\n",
      full,
      "\n",  // the line feed of a full piece comes on its own
      std::string(kLinePiece, 'b'),
      std::string(300 - kLinePiece, 'b') + "\n",
      std::string(kLinePiece - 1, 'c') + "\n",  // CR LF counts as one byte
      "d",                                      // text after a NUL is dropped up to the line feed
      "f",
      "end",
  };
  EXPECT_EQ(pieces, expected);
  EXPECT_EQ(piece, "");

  in.openMemory("\0"s);
  ASSERT_TRUE(in.readLinePiece(piece, kLinePiece));  // a NUL alone was still read
  EXPECT_EQ(piece, "");
  EXPECT_FALSE(in.readLinePiece(piece, kLinePiece));
}

}  // namespace
}  // namespace quenwick
