#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "scratch_dir.h"

namespace quenwick {
namespace {

class ProcessTest : public ScratchDirTest {};

TEST_F(ProcessTest, ProgramsFoundAsTheShellFindsThem) {
  const std::string sh = findProgram("sh", "/");
  EXPECT_TRUE(sh == "/bin/sh" || sh == "/usr/bin/sh") << sh;
  EXPECT_EQ(findProgram("qw-no-such-program", "/"), "");
  const std::string tool = writeFile("tool", "#!/bin/sh\n");
  ::chmod(tool.c_str(), 0755);
  writeFile("plain", "not a program\n");
  // A name with "/" counts from the command's folder, in normal form; links are not followed.
  EXPECT_EQ(findProgram("./x/../tool", dir_.string()), tool);
  EXPECT_EQ(findProgram("plain", dir_.string()), "");
  EXPECT_EQ(findProgram("./plain", dir_.string()), "");
}

TEST_F(ProcessTest, OutputTakenNothingToRead) {
  ProgramRun run = runProgram("/bin/sh", {"-c", "printf 'a b\\n'; cat; echo err >&2"}, 1000, 30);
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.output, "a b\n");
  // Each argument is one word, as given: nothing goes through a shell.
  run = runProgram("/bin/sh", {"-c", "printf '%s|' \"$@\"", "x", "a b", "$HOME", "*"}, 1000, 30);
  EXPECT_EQ(run.output, "a b|$HOME|*|");
}

TEST_F(ProcessTest, FailuresAndLimits) {
  EXPECT_FALSE(runProgram("/bin/sh", {"-c", "exit 3"}, 1000, 30).finished);
  EXPECT_FALSE(runProgram(path("missing"), {}, 1000, 30).started);
  const ProgramRun big = runProgram("/bin/sh", {"-c", "while :; do echo xxxxxxxx; done"}, 100, 30);
  EXPECT_FALSE(big.finished);
  EXPECT_EQ(big.output.size(), 100u);
  EXPECT_FALSE(runProgram("/bin/sh", {"-c", "exec sleep 30"}, 1000, 1).finished);
}

}  // namespace
}  // namespace quenwick
