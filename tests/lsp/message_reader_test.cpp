#include "lsp/message_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenwick {
namespace {

std::vector<Frame> framesOf(FrameDecoder& decoder) {
  std::vector<Frame> frames;
  while (std::optional<Frame> frame = decoder.take()) frames.push_back(std::move(*frame));
  return frames;
}

TEST(FrameDecoderTest, WholeFramesWhateverTheChunks) {
  const std::string input =
      "Content-Length: 2\r\n\r\n{}"
      "content-length:3\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n[1]"
      "\r\nContent-Length: 4\n\n\"ab\"";
  // Byte by byte and all at once give the same frames.
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, input.size()}) {
    FrameDecoder decoder;
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < input.size(); at += piece) {
      decoder.feed(input.substr(at, piece));
      for (Frame& frame : framesOf(decoder)) frames.push_back(std::move(frame));
    }
    ASSERT_EQ(frames.size(), 3u) << piece;
    EXPECT_EQ(frames[0].body, "{}");
    EXPECT_EQ(frames[1].body, "[1]");
    EXPECT_EQ(frames[2].body, "\"ab\"");
    EXPECT_FALSE(decoder.holdsPartialFrame());
  }
}

TEST(FrameDecoderTest, BadHeadersAreReportedAndReadingResumes) {
  FrameDecoder decoder;
  decoder.feed("Content-Type: x\r\n\r\n{\"a\":1}Content-Length: 2\r\n\r\n{}");
  decoder.feed("Content-Length: -1\r\n\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n");
  decoder.feed("Content-Length: 99999999999999999999\r\n\r\nContent-Length: 1\r\n\r\n7");
  std::vector<Frame> frames = framesOf(decoder);
  ASSERT_EQ(frames.size(), 6u);
  EXPECT_EQ(frames[0].kind, Frame::BadHeader);
  EXPECT_EQ(frames[0].detail, "no Content-Length header");
  EXPECT_EQ(frames[1].body, "{}");
  EXPECT_EQ(frames[2].detail, "Content-Length is not a number of bytes");
  EXPECT_EQ(frames[3].detail, "two different Content-Length headers");
  EXPECT_EQ(frames[4].detail, "Content-Length is not a number of bytes");
  EXPECT_EQ(frames[5].kind, Frame::Message);
  EXPECT_EQ(frames[5].body, "7");
}

TEST(FrameDecoderTest, AHeaderWithoutEndIsCutAtItsLimit) {
  FrameLimits limits;
  limits.maxHeader = 64;
  FrameDecoder decoder(limits);
  decoder.feed(std::string(65, 'x'));
  std::vector<Frame> frames = framesOf(decoder);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].detail, "a header block over 64 bytes");
  decoder.feed("Content-Length: 1\r\n\r\nz");
  frames = framesOf(decoder);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].body, "z");
}

TEST(FrameDecoderTest, ABodyOverTheLimitIsSkippedWithItsIdAndMethod) {
  FrameLimits limits;
  limits.maxBody = 16;
  FrameDecoder decoder(limits);
  const std::string big =
      R"({"params":{"id":5,"text":"a,\"id\":6"},"method":"textDocument/didOpen","id" : "r-1"})";
  decoder.feed("Content-Length: " + std::to_string(big.size()) + "\r\n\r\n");
  for (std::size_t i = 0; i + 1 < big.size(); ++i) {
    decoder.feed(big.substr(i, 1));
    EXPECT_FALSE(decoder.take()) << "before the end";
  }
  decoder.feed(big.substr(big.size() - 1) + "Content-Length: 2\r\n\r\n{}");
  std::vector<Frame> frames = framesOf(decoder);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].kind, Frame::TooLarge);
  EXPECT_EQ(frames[0].length, big.size());
  EXPECT_EQ(frames[0].idText, "\"r-1\"");
  EXPECT_EQ(frames[0].method, "textDocument/didOpen");
  EXPECT_EQ(frames[1].body, "{}");
  // An id that ends the object, and a notification without one.
  for (const auto& [body, id] : {std::pair<std::string, std::string>{R"({"jsonrpc":"2.0","id":77})", "77"},
                                 {R"({"method":"x","params":[1,2,3,4,5,6,7]})", ""}}) {
    decoder.feed("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    frames = framesOf(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].idText, id);
  }
}

TEST(FrameDecoderTest, ACutOffFrameIsHeld) {
  FrameDecoder decoder;
  decoder.feed("Content-Length: 10\r\n\r\n{\"a\"");
  EXPECT_FALSE(decoder.take());
  EXPECT_TRUE(decoder.holdsPartialFrame());
}

/// A source holding a fixed text, handed out in pieces.
class TextSource : public ByteSource {
 public:
  explicit TextSource(std::string text) : text_(std::move(text)) {}
  long read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min<std::size_t>({size, 3, text_.size() - at_});
    text_.copy(buffer, n, at_);
    at_ += n;
    return static_cast<long>(n);
  }
  bool ready(int) override { return at_ < text_.size(); }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

TEST(MessageReaderTest, PollTakesWhatIsThereAndNextWaitsForTheRest) {
  TextSource source("Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]");
  MessageReader reader(source);
  std::optional<Frame> first = reader.poll();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->body, "{}");
  std::optional<Frame> second = reader.next();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->body, "[1]");
  EXPECT_FALSE(reader.poll());
  EXPECT_FALSE(reader.next());
  EXPECT_TRUE(reader.ended());
}

}  // namespace
}  // namespace quenwick
