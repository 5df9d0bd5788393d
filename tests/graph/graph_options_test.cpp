#include "graph/graph_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "captured_fd.h"

namespace quenwick {
namespace {

// Parses `args`; returns what went to standard error ("" when the parse succeeded).
std::string parse(const std::vector<std::string>& args, GraphOptions& options) {
  CapturedFd err;
  Console console(-1, err.fd());
  bool ok = parseGraphOptions(args, options, console);
  console.err.flush();
  std::string message = err.contents();
  EXPECT_EQ(ok, message.empty()) << message;
  return message;
}

TEST(GraphOptionsTest, LongOptionsComeFirstWithTheirValuesJoinedOrApart) {
  GraphOptions options;
  EXPECT_EQ(parse({"--root=main", "--root", "init@a.c", "--callers", "--weird", "--depth=007",
                   "--format", "json", "--cluster", "-N", "a.c", "-", "--", "b.c"},
                  options),
            "");
  EXPECT_EQ(options.roots, (std::vector<std::string>{"main", "init@a.c"}));
  EXPECT_EQ(options.callers, (std::vector<std::string>{"--weird"}));  // a value, not an option
  EXPECT_EQ(options.depth, 7u);
  EXPECT_EQ(options.format, GraphFormat::Json);
  EXPECT_TRUE(options.cluster);
  // Everything from the first other argument on goes to the driver; a "--" among
  // the arguments is dropped once.
  EXPECT_EQ(options.arguments, (std::vector<std::string>{"-N", "a.c", "-", "b.c"}));
}

TEST(GraphOptionsTest, DoubleDashEndsTheOptionsSoThatALongOptionNamesAFile) {
  GraphOptions options;
  EXPECT_EQ(parse({"--depth=1", "--", "--root=x", "--"}, options), "");
  EXPECT_EQ(options.arguments, (std::vector<std::string>{"--root=x", "--"}));
  EXPECT_TRUE(options.roots.empty());
}

TEST(GraphOptionsTest, DepthBeyondTheMachineMeansNoLimit) {
  GraphOptions options;
  EXPECT_EQ(parse({"--depth=99999999999999999999999", "a.c"}, options), "");
  EXPECT_EQ(options.depth, std::numeric_limits<std::size_t>::max());
}

TEST(GraphOptionsTest, EveryFaultIsOneLineOfItsOwn) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--rot=main", "a.c"}, "quenwick-graph: unknown option '--rot=main' (see --help)\n"},
      {{"--root"}, "quenwick-graph: option '--root' needs a value\n"},
      {{"--root=", "a.c"}, "quenwick-graph: option '--root' needs a value\n"},
      {{"--cluster=yes", "a.c"}, "quenwick-graph: option '--cluster' takes no value\n"},
      {{"--depth=-1", "a.c"},
       "quenwick-graph: --depth needs a whole number of 0 or more, not '-1'\n"},
      {{"--depth=1x", "a.c"},
       "quenwick-graph: --depth needs a whole number of 0 or more, not '1x'\n"},
      {{"--format=svg", "a.c"},
       "quenwick-graph: --format must be one of text, dot, json, html, not 'svg'\n"},
      {{"--list=some", "a.c"},
       "quenwick-graph: --list must be one of roots, leaves, undefined, recursive, all, not "
       "'some'\n"},
      {{"a.c", "--depth=2"},
       "quenwick-graph: option '--depth=2' must come before the arguments (after '--' it would "
       "name a file)\n"},
      {{"--list=all", "--depth=1", "a.c"},
       "quenwick-graph: --list cannot be combined with --root, --callers, --target or --depth\n"},
      {{"--list=all", "--format=dot", "a.c"},
       "quenwick-graph: --list cannot be combined with --format=dot\n"},
      {{"--target=f", "--callers=g", "a.c"},
       "quenwick-graph: --target cannot be combined with --callers\n"},
      {{"--format=json"}, "quenwick-graph: no source file given (see --help)\n"},
  };
  for (const Case& c : cases) {
    GraphOptions options;
    EXPECT_EQ(parse(c.args, options), c.message);
  }
}

TEST(GraphOptionsTest, LinkTemplatesAreCheckedBeforeTheRun) {
  GraphOptions options;
  EXPECT_EQ(parse({"--format=html", "--link", "vscode://file/{path}:{line}:{column}", "a.c"},
                  options),
            "");
  EXPECT_EQ(options.link, "vscode://file/{path}:{line}:{column}");
  const std::pair<std::vector<std::string>, std::string> faults[] = {
      {{"--link=https://x/{file}", "a.c"}, "quenwick-graph: --link goes with --format=html only\n"},
      {{"--format=dot", "--link=https://x/{file}", "a.c"},
       "quenwick-graph: --link goes with --format=html only\n"},
      {{"--format=html", "--link=https://x/{File}#{line}", "a.c"},
       "quenwick-graph: --link: unknown field '{File}' (the fields are {file}, {line}, {column} "
       "and {path})\n"},
      {{"--format=html", "--link=https://x/{file", "a.c"},
       "quenwick-graph: --link: unknown field '{file' (the fields are {file}, {line}, {column} "
       "and {path})\n"},
      {{"--format=html", "--link=https://x/\n{file}", "a.c"},
       "quenwick-graph: --link: the template holds a control character\n"},
      // Browsers read these as scripts, whatever the letter case or the spaces.
      {{"--format=html", "--link=JavaScript:alert({line})", "a.c"},
       "quenwick-graph: --link: a 'javascript:' address would run in the page; give a web or "
       "editor address\n"},
      {{"--format=html", "--link=  data:text/html,{file}", "a.c"},
       "quenwick-graph: --link: a 'data:' address would run in the page; give a web or editor "
       "address\n"},
  };
  for (const auto& [args, message] : faults) {
    GraphOptions other;
    EXPECT_EQ(parse(args, other), message) << args[1];
  }
}

TEST(GraphOptionsTest, HelpAndVersionNeedNoArgument) {
  GraphOptions options;
  EXPECT_EQ(parse({"--version"}, options), "");
  EXPECT_TRUE(options.version);
  EXPECT_EQ(parse({"--help", "--list=all", "--root=x"}, options), "");
  EXPECT_TRUE(options.help);
}

}  // namespace
}  // namespace quenwick
