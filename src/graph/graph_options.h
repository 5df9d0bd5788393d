// quenwick-graph's own options: GNU-style long options before the arguments that
// go to the driver.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/console.h"

namespace quenwick {

/// The output format.
enum class GraphFormat { Text, Dot, Json, Html };

/// Which scan reads the sources.
enum class ScanKind { C, Quenwick };

/// What --list lists; None for a tree or a graph.
enum class ListKind { None, Roots, Leaves, Undefined, Recursive, All };

/// The options of one run of quenwick-graph.
struct GraphOptions {
  std::vector<std::string> roots;          // --root: trees below these
  std::vector<std::string> callers;        // --callers: trees of the callers of these
  std::vector<std::string> targets;        // --target: only branches that lead to these
  std::vector<std::string> sites;          // --sites: every place these are called
  std::optional<std::size_t> depth;        // --depth: nothing deeper
  ListKind list = ListKind::None;          // --list
  GraphFormat format = GraphFormat::Text;  // --format
  std::optional<std::string> output;       // --output: the file written instead of standard output
  bool cluster = false;                    // --cluster: DOT nodes grouped by file
  std::optional<std::string> link;         // --link: the address template of every place in a page
  ScanKind scan = ScanKind::C;             // --scan: the C scan, or quenwick's own
  bool keepGoing = false;                  // --keep-going: past inputs that cannot be read
  std::optional<std::string> compileCommands;  // --compile-commands: the database of a build
  std::optional<std::string> queryDriver;  // --query-driver: patterns of the compilers that may run
  bool help = false;                       // --help
  bool version = false;                    // --version
  std::vector<std::string> arguments;      // everything for the driver, in order
  std::size_t optionCount = 0;             // leading arguments read as options, "--" included

  /// True when some option asks for less or other than the whole tree.
  bool hasQuery() const {
    return !roots.empty() || !callers.empty() || !targets.empty() || depth.has_value();
  }
};

/// Reads the options in `args` (the program's path not included): long options
/// first, as "--name=value" or "--name value", up to the first other argument or
/// "--"; the rest are arguments. Writes a one-line message to `console.err` and
/// returns false for an unknown option, a missing or wrong value, options that
/// cannot go together, a long option among the arguments, or no argument at all
/// (unless --help, --version or --compile-commands is given).
bool parseGraphOptions(const std::vector<std::string>& args, GraphOptions& options,
                       Console& console);

}  // namespace quenwick
