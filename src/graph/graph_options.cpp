#include "graph/graph_options.h"

#include <array>
#include <limits>
#include <string_view>

#include "config/texts.h"
#include "platform/ascii.h"
#include "platform/byte_class.h"

namespace quenwick {

namespace {

/// One long option.
struct LongOption {
  std::string_view name;  // as written after "--"
  bool takesValue;        // a value is required; otherwise none is allowed
};

constexpr std::array<LongOption, 16> kLongOptions = {{
    {"root", true},
    {"callers", true},
    {"target", true},
    {"depth", true},
    {"list", true},
    {"format", true},
    {"output", true},
    {"cluster", false},
    {"link", true},
    {"keep-going", false},
    {"help", false},
    {"version", false},
    {"scan", true},
    {"sites", true},
    {"compile-commands", true},
    {"query-driver", true},
}};

const LongOption* findOption(std::string_view name) {
  for (const LongOption& option : kLongOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

/// Reads a depth: digits only; a number too large for the machine means no limit.
bool parseDepth(const std::string& value, std::size_t& depth) {
  if (value.empty()) return false;
  depth = 0;
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  for (char c : value) {
    if (!hasClass(c, kDigit)) return false;
    const std::size_t digit = static_cast<std::size_t>(c - '0');
    depth = depth > (kMax - digit) / 10 ? kMax : depth * 10 + digit;
  }
  return true;
}

bool parseList(const std::string& value, ListKind& list) {
  static constexpr std::array<std::pair<std::string_view, ListKind>, 5> kKinds = {{
      {"roots", ListKind::Roots},
      {"leaves", ListKind::Leaves},
      {"undefined", ListKind::Undefined},
      {"recursive", ListKind::Recursive},
      {"all", ListKind::All},
  }};
  for (const auto& [name, kind] : kKinds) {
    if (value == name) {
      list = kind;
      return true;
    }
  }
  return false;
}

bool parseFormat(const std::string& value, GraphFormat& format) {
  if (value == "text") {
    format = GraphFormat::Text;
  } else if (value == "dot") {
    format = GraphFormat::Dot;
  } else if (value == "json") {
    format = GraphFormat::Json;
  } else if (value == "html") {
    format = GraphFormat::Html;
  } else {
    return false;
  }
  return true;
}

/// The scheme of `address` as a browser reads it: lower-cased, after leading
/// spaces and without the tabs and line breaks that a browser drops; empty when
/// it has none.
std::string schemeOf(std::string_view address) {
  std::string scheme;
  while (!address.empty() && address.front() == ' ') address.remove_prefix(1);
  for (char c : address) {
    if (c == ':') return scheme;
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (!hasClass(c, kWordChar) && c != '+' && c != '-' && c != '.') return {};
    scheme.push_back(asciiLower(c));
  }
  return {};
}

/// Checks a --link template: every "{" opens one of the fields, no byte is a
/// control character, and the address is not one that runs a script.
bool checkLinkTemplate(const std::string& value, Console& console) {
  static constexpr std::array<std::string_view, 4> kFields = {"{file}", "{line}", "{column}",
                                                              "{path}"};
  for (std::size_t at = 0; at < value.size(); ++at) {
    if (hasClass(value[at], kAscii) && !hasClass(value[at], kPrintable)) {
      console.err.write(text(Text::GraphLinkControl));
      return false;
    }
    if (value[at] != '{') continue;
    const std::string_view rest = std::string_view(value).substr(at);
    bool known = false;
    for (std::string_view field : kFields) known = known || rest.starts_with(field);
    if (!known) {
      const std::size_t close = rest.find('}');
      const std::string field(close == std::string_view::npos ? rest : rest.substr(0, close + 1));
      console.err.printf(textFormat(Text::GraphLinkBadField), field.c_str());
      return false;
    }
  }
  const std::string scheme = schemeOf(value);
  if (scheme == "javascript" || scheme == "vbscript" || scheme == "data") {
    console.err.printf(textFormat(Text::GraphLinkScript), (scheme + ":").c_str());
    return false;
  }
  return true;
}

/// Applies one option with its value; false (reported) when the value is wrong.
bool applyOption(std::string_view name, const std::string& value, GraphOptions& options,
                 Console& console) {
  if (name == "root") {
    options.roots.push_back(value);
  } else if (name == "callers") {
    options.callers.push_back(value);
  } else if (name == "target") {
    options.targets.push_back(value);
  } else if (name == "depth") {
    std::size_t depth;
    if (!parseDepth(value, depth)) {
      console.err.printf(textFormat(Text::GraphBadDepth), value.c_str());
      return false;
    }
    options.depth = depth;
  } else if (name == "list") {
    if (!parseList(value, options.list)) {
      console.err.printf(textFormat(Text::GraphBadChoice), "list",
                         "roots, leaves, undefined, recursive, all", value.c_str());
      return false;
    }
  } else if (name == "format") {
    if (!parseFormat(value, options.format)) {
      console.err.printf(textFormat(Text::GraphBadChoice), "format", "text, dot, json, html",
                         value.c_str());
      return false;
    }
  } else if (name == "scan") {
    if (value == "c") {
      options.scan = ScanKind::C;
    } else if (value == "quenwick") {
      options.scan = ScanKind::Quenwick;
    } else {
      console.err.printf(textFormat(Text::GraphBadChoice), "scan", "c, quenwick", value.c_str());
      return false;
    }
  } else if (name == "sites") {
    options.sites.push_back(value);
  } else if (name == "compile-commands") {
    options.compileCommands = value;
  } else if (name == "query-driver") {
    options.queryDriver = value;
  } else if (name == "output") {
    options.output = value;
  } else if (name == "cluster") {
    options.cluster = true;
  } else if (name == "link") {
    if (!checkLinkTemplate(value, console)) return false;
    options.link = value;
  } else if (name == "keep-going") {
    options.keepGoing = true;
  } else if (name == "help") {
    options.help = true;
  } else {
    options.version = true;
  }
  return true;
}

/// Reports options that cannot go together; true when there are none.
bool checkCombinations(const GraphOptions& options, Console& console) {
  const char* conflict = nullptr;
  const char* with = nullptr;
  if (options.list != ListKind::None && options.hasQuery()) {
    conflict = "--list";
    with = "--root, --callers, --target or --depth";
  } else if (options.list != ListKind::None && options.format == GraphFormat::Dot) {
    conflict = "--list";
    with = "--format=dot";
  } else if (options.list != ListKind::None && options.format == GraphFormat::Html) {
    conflict = "--list";
    with = "--format=html";
  } else if (!options.targets.empty() && !options.callers.empty()) {
    conflict = "--target";
    with = "--callers";
  } else if (!options.sites.empty() && (options.hasQuery() || options.list != ListKind::None)) {
    conflict = "--sites";
    with = "--root, --callers, --target, --depth or --list";
  } else if (!options.sites.empty() && options.scan == ScanKind::Quenwick) {
    conflict = "--sites";
    with = "--scan=quenwick";
  } else if (options.compileCommands && options.scan == ScanKind::Quenwick) {
    conflict = "--compile-commands";
    with = "--scan=quenwick";
  } else if (!options.sites.empty() && options.format != GraphFormat::Text &&
             options.format != GraphFormat::Json) {
    conflict = "--sites";
    with = "--format=dot or --format=html";
  }
  if (conflict == nullptr && options.link && options.format != GraphFormat::Html) {
    console.err.write(text(Text::GraphLinkNeedsHtml));
    return false;
  }
  if (conflict == nullptr) return true;
  console.err.printf(textFormat(Text::GraphBadCombination), conflict, with);
  return false;
}

}  // namespace

bool parseGraphOptions(const std::vector<std::string>& args, GraphOptions& options,
                       Console& console) {
  std::size_t i = 0;
  bool ended = false;  // "--" was met: everything after it is an argument
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ended = true;
      ++i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-' || arg[1] != '-') break;
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(2, equals - 2);
    const LongOption* option = findOption(name);
    if (option == nullptr) {
      console.err.printf(textFormat(Text::GraphUnknownOption), arg.c_str());
      return false;
    }
    std::string value;
    if (!option->takesValue) {
      if (equals != std::string::npos) {
        console.err.printf(textFormat(Text::GraphUnexpectedValue), std::string(name).c_str());
        return false;
      }
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    if (option->takesValue && value.empty()) {
      console.err.printf(textFormat(Text::GraphMissingValue), std::string(name).c_str());
      return false;
    }
    if (!applyOption(name, value, options, console)) return false;
  }
  options.optionCount = i;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!ended && arg == "--") {
      ended = true;
      continue;
    }
    if (!ended && arg.size() > 2 && arg[0] == '-' && arg[1] == '-') {
      console.err.printf(textFormat(Text::GraphLateOption), arg.c_str());
      return false;
    }
    options.arguments.push_back(arg);
  }
  if (options.help || options.version) return true;
  if (!checkCombinations(options, console)) return false;
  if (options.arguments.empty() && !options.compileCommands) {
    console.err.write(text(Text::GraphNoArgument));
    return false;
  }
  return true;
}

}  // namespace quenwick
