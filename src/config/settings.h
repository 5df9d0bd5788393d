// The sixteen settings that restyle the tree, name the caption keyword and the
// system-function tables, and switch the bell.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quenwick {

/// Settings, filled with their defaults and then from the configuration file.
/// Texts are bytes: no setting is ever decoded or validated.
struct Settings {
  /// The defaults, in the encoding of the program's texts chosen at start-up.
  Settings();

  std::string belong;       // file-column template: width, text
  std::string nobelong;     // file-column text of a callee without definition
  std::string multibelong;  // file-column text of a callee with several definitions
  std::string lineno;       // line-number-column template: width, number
  std::string twig1;        // outer level whose branch goes on
  std::string twig2;        // outer level whose branch has ended
  std::string twig3;        // own level, later siblings follow
  std::string twig4;        // own level, last sibling
  std::string nest;         // depth-marker template: depth
  std::string function;     // name template: name
  std::string recursion;    // recursion marker
  std::string multi;        // several-definitions marker
  std::string expanded;     // already-expanded marker
  std::string caption;      // comment keyword that introduces a caption
  std::vector<std::string> systemFuncTables;  // tables to read at start-up, at most five
  int beep = 1;                               // the bell rings while this is non-zero

  /// How many tables `systemfunc` lines may name.
  static constexpr std::size_t kMaxSystemFuncTables = 5;
  /// The number of tables named so far.
  std::size_t systemFuncCount() const { return systemFuncTables.size(); }
};

/// What a configuration key sets.
enum class SettingKind { Text, SystemFunc, Beep };

/// One key of the configuration file.
struct ConfigKey {
  std::string_view key;         // the key as it starts a line
  SettingKind kind;             // how its value is taken
  std::string Settings::*text;  // the text it replaces (Text keys only)
};

/// The keys in matching order: a line sets the first key that it starts with,
/// so `multibelong` stands before `multi`.
extern const std::array<ConfigKey, 16> configKeys;

}  // namespace quenwick
