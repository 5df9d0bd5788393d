#include "cscan/c_command_line.h"

#include <algorithm>
#include <array>

#include "platform/file_path.h"

namespace quenwick {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Options whose value is the next word when it is not joined, and that change
// nothing here: skipping the value keeps it from being read as an option or a file.
constexpr std::array<std::string_view, 21> kTakesValue = {
    "-o",          "-MF",      "-MT",      "-MQ",          "-x",
    "-Xclang",     "-Xpreprocessor",       "-Xassembler",  "-Xlinker",
    "-L",          "-l",       "-iprefix", "-iwithprefix", "-iwithprefixbefore",
    "-isysroot",   "--sysroot", "-arch",   "--param",      "-aux-info",
    "-imultilib",  "-A"};

bool takesSeparateValue(std::string_view word) {
  for (std::string_view option : kTakesValue) {
    if (word == option) return true;
  }
  return false;
}

// A -D or -U value: NAME, NAME=VALUE or NAME(PARAMS)=VALUE.
SymbolSetting symbolOf(std::string_view value, bool define) {
  SymbolSetting setting;
  setting.define = define;
  const std::size_t equals = value.find('=');
  setting.name = std::string(value.substr(0, equals));
  if (define && equals != std::string_view::npos) setting.value = std::string(value.substr(equals + 1));
  return setting;
}

}  // namespace

bool splitShellWords(std::string_view command, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::string word;
  bool inWord = false;
  std::size_t i = 0;
  while (i < command.size()) {
    const char c = command[i];
    if (isBlank(c)) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++i;
      continue;
    }
    inWord = true;
    if (c == '\\') {
      if (i + 1 >= command.size()) {
        error = "the command ends in a backslash";
        return false;
      }
      if (command[i + 1] != '\n') word += command[i + 1];
      i += 2;
      continue;
    }
    if (c == '\'') {
      const std::size_t close = command.find('\'', i + 1);
      if (close == std::string_view::npos) {
        error = "a ' is not closed";
        return false;
      }
      word.append(command.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (c == '"') {
      ++i;
      for (;;) {
        if (i >= command.size()) {
          error = "a \" is not closed";
          return false;
        }
        const char d = command[i];
        if (d == '"') {
          ++i;
          break;
        }
        if (d == '\\' && i + 1 < command.size()) {
          const char next = command[i + 1];
          if (next == '$' || next == '`' || next == '"' || next == '\\' || next == '\n') {
            if (next != '\n') word += next;
            i += 2;
            continue;
          }
        }
        word += d;
        ++i;
      }
      continue;
    }
    word += c;
    ++i;
  }
  if (inWord) words.push_back(std::move(word));
  return true;
}

CompileFlags readCompileFlags(const std::vector<std::string>& words, const std::string& directory) {
  CompileFlags flags;
  if (words.empty()) return flags;
  flags.compiler = words[0];
  auto path = [&](std::string_view value) { return absolutePath(value, directory); };
  std::vector<std::string> positionFlags;  // -fpic, -fno-pie and the like
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool hasNext = i + 1 < words.size();
    // An option with its value joined ("-DX", "-Idir") or in the next word ("-D X").
    auto valueOf = [&](std::string_view option, std::string& value) {
      if (word.compare(0, option.size(), option) != 0) return false;
      if (word.size() > option.size()) {
        value = word.substr(option.size());
        return true;
      }
      if (!hasNext) return false;
      value = words[++i];
      return true;
    };
    std::string value;
    if (word.size() < 2 || word[0] != '-') continue;  // the file, an object, a library
    if (valueOf("-D", value)) {
      flags.symbols.push_back(symbolOf(value, true));
    } else if (valueOf("-U", value)) {
      flags.symbols.push_back(symbolOf(value, false));
    } else if (valueOf("-iquote", value)) {
      flags.quoteDirs.push_back(path(value));
    } else if (valueOf("-isystem", value)) {
      flags.systemDirs.push_back(path(value));
    } else if (valueOf("-idirafter", value)) {
      flags.afterDirs.push_back(path(value));
    } else if (valueOf("-imacros", value) || valueOf("-include", value)) {
      flags.forcedIncludes.push_back(value);  // looked for when the file is scanned
    } else if (word == "-I-") {
      // the old split of the search: "-I" folders before it are for "x.h" only
      flags.quoteDirs.insert(flags.quoteDirs.end(), flags.includeDirs.begin(), flags.includeDirs.end());
      flags.includeDirs.clear();
    } else if (valueOf("-I", value)) {
      flags.includeDirs.push_back(path(value));
    } else if (word.compare(0, 5, "-std=") == 0 || word.compare(0, 6, "--std=") == 0) {
      flags.targetFlags.push_back(word[1] == '-' ? word.substr(1) : word);
    } else if (word.compare(0, 9, "--target=") == 0) {
      flags.targetFlags.push_back(word);
    } else if (word == "-target" && hasNext) {
      flags.targetFlags.push_back("--target=" + words[++i]);
    } else if (word[1] == 'm' && word.size() > 2) {
      flags.targetFlags.push_back(word);
    } else if (word == "-fpic" || word == "-fPIC" || word == "-fpie" || word == "-fPIE" || word == "-fno-pic" ||
               word == "-fno-PIC" || word == "-fno-pie" || word == "-fno-PIE") {
      positionFlags.push_back(word);
    } else if (word == "-nostdinc") {
      flags.noStandardFolders = true;
    } else if (word == "-undef") {
      flags.noPredefined = true;
    } else if (takesSeparateValue(word) && hasNext) {
      ++i;
    }
  }
  // Those go with a code model: GCC refuses -mcmodel=kernel (Linux's) in the
  // position-independent code that Debian's GCC makes by default. Alone they
  // change only __pic__ and __pie__, and would make another compiler run for
  // the entries of every build that has shared and static objects.
  const bool codeModel = std::any_of(flags.targetFlags.begin(), flags.targetFlags.end(),
                                     [](const std::string& flag) { return flag.compare(0, 9, "-mcmodel=") == 0; });
  if (codeModel) flags.targetFlags.insert(flags.targetFlags.end(), positionFlags.begin(), positionFlags.end());
  return flags;
}

}  // namespace quenwick
