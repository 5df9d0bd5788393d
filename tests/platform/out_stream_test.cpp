#include "platform/out_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/console.h"
#include "scratch_dir.h"

namespace quenwick {
namespace {

class OutStreamTest : public ScratchDirTest {};

// Everything waiting on the read end of a pipe, without blocking.
std::string drain(int fd) {
  std::string text;
  char buf[256];
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, n);
  return text;
}

TEST_F(OutStreamTest, MixedWritesLandInOrderAcrossBufferSizes) {
  const std::string big(200000, 'w');
  const std::string longArg(1000, 'p');
  std::string expected;
  OutStream out;
  ASSERT_TRUE(out.openFile(path("out")));
  for (int round = 0; round < 3; ++round) {
    out.write("head ");
    out.put('\0');
    out.pad(' ', 0);
    out.pad('.', 70000 + round);
    out.printf("[%d %s]", round, longArg.c_str());  // longer than a small format buffer
    out.write(big);
    out.put('\n');
    expected += "head " + std::string(1, '\0') + std::string(70000 + round, '.') + "[" +
                std::to_string(round) + " " + longArg + "]" + big + "\n";
  }
  out.close();
  EXPECT_FALSE(out.failed());
  EXPECT_EQ(contents(path("out")), expected);
}

TEST_F(OutStreamTest, OpenFileEmptiesAndReportsFailure) {
  std::ofstream(path("old")) << "previous contents";
  OutStream out;
  out.put('x');
  out.flush();
  EXPECT_TRUE(out.failed());  // no descriptor yet
  ASSERT_TRUE(out.openFile(path("old")));
  EXPECT_FALSE(out.failed());
  out.write("new");
  ASSERT_TRUE(out.openFile(path("second")));  // the first file is flushed and closed
  out.close();
  EXPECT_EQ(contents(path("old")), "new");
  EXPECT_EQ(contents(path("second")), "");
  EXPECT_FALSE(out.openFile(path("missing/dir")));
  EXPECT_FALSE(out.openFile(dir_.string()));
}

TEST(OutStreamFdTest, FailedWritesAreRemembered) {
  OutStream none;
  none.close();
  EXPECT_FALSE(none.failed());  // nothing was written
  none.pad('-', 3);
  none.close();
  EXPECT_TRUE(none.failed());

  int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (fd < 0) GTEST_SKIP() << "/dev/full is not available";
  {
    OutStream full(fd);
    full.write("ok");
    EXPECT_FALSE(full.failed());  // still buffered
    full.flush();
    EXPECT_TRUE(full.failed());
    full.flush();
    EXPECT_TRUE(full.failed());
  }
  {
    OutStream full(fd, true);
    full.printf("%s", "at once");
    EXPECT_TRUE(full.failed());
  }
  ::close(fd);
}

TEST(OutStreamFdTest, AutoFlushWritesEachCallAndBufferedWaits) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    OutStream err(fds[1], true);
    err.printf("E%d", 1);
    EXPECT_EQ(drain(fds[0]), "E1");
    err.pad('-', 2);
    EXPECT_EQ(drain(fds[0]), "--");
    err.put('!');
    EXPECT_EQ(drain(fds[0]), "!");

    OutStream out(fds[1]);
    out.write("later");
    EXPECT_EQ(drain(fds[0]), "");
    out.flush();
    EXPECT_EQ(drain(fds[0]), "later");
  }
  // The descriptor was not ours to close.
  EXPECT_EQ(::write(fds[1], "z", 1), 1);
  EXPECT_EQ(drain(fds[0]), "z");
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(ConsoleTest, ConsoleDeviceNameInAnyCase) {
  for (const char* name : {"CON", "con", "cOn", "Con"}) EXPECT_TRUE(isConsoleDevice(name)) << name;
  for (const char* name :
       {"", "CO", "CONX", "CON:", "CON.txt", " CON", "C0N", "COM", "\x03ON", "c\x0fn"}) {
    EXPECT_FALSE(isConsoleDevice(name)) << name;
  }
}

TEST(ConsoleTest, BellRingsOnStandardErrorUnlessSwitchedOff) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    Console console(-1, fds[1]);
    console.ringBell();
    EXPECT_EQ(drain(fds[0]), "\a");
    const int off = 0;
    console.beep = &off;
    console.ringBell();
    EXPECT_EQ(drain(fds[0]), "");
    EXPECT_FALSE(console.err.failed());
  }
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace quenwick
