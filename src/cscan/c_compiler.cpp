#include "cscan/c_compiler.h"

#include <algorithm>

#include "cscan/c_expression.h"
#include "cscan/c_predefined.h"
#include "platform/directory.h"
#include "platform/file_path.h"
#include "platform/process.h"
#include "platform/workers.h"

namespace quenwick {

namespace {

constexpr std::size_t kOutputLimit = 8 << 20;  // more than any compiler lists
constexpr int kSeconds = 30;                   // a compiler that takes longer is not waited for
constexpr std::size_t kMostAskedAtOnce = 8;    // compilers started together

// Names a compiler knows without listing them under -dM.
constexpr std::string_view kUnlistedFunctions[] = {
    "__has_include", "__has_include_next", "__has_attribute", "__has_cpp_attribute",
    "__has_c_attribute", "__has_builtin"};
constexpr std::string_view kUnlistedClangFunctions[] = {
    "__has_feature", "__has_extension", "__has_warning", "__is_identifier",
    "__has_declspec_attribute"};
constexpr std::string_view kUnlistedObjects[] = {
    "__FILE__", "__LINE__", "__DATE__", "__TIME__", "__TIMESTAMP__", "__COUNTER__",
    "__INCLUDE_LEVEL__", "__BASE_FILE__", "__FILE_NAME__"};

void defineUnknown(MacroTable& macros, std::string_view name, bool functionLike) {
  MacroState state;
  state.kind = MacroState::Defined;
  state.functionLike = functionLike;
  state.valueKnown = false;
  if (functionLike) state.params.emplace_back("x");
  macros.set(name, std::move(state));
}

void addUnlisted(MacroTable& macros) {
  for (std::string_view name : kUnlistedFunctions) defineUnknown(macros, name, true);
  if (macros.find("__clang__").kind == MacroState::Defined) {
    for (std::string_view name : kUnlistedClangFunctions) defineUnknown(macros, name, true);
  }
  for (std::string_view name : kUnlistedObjects) defineUnknown(macros, name, false);
}

void defineAs(MacroTable& macros, std::string_view name, std::string_view body) {
  MacroState state;
  state.kind = MacroState::Defined;
  state.body = body;
  macros.setCopy(name, state);
}

// What -std= changes in the built-in set.
void applyStandard(MacroTable& macros, const std::vector<std::string>& flags) {
  for (const std::string& flag : flags) {
    if (flag.compare(0, 5, "-std=") != 0) continue;
    std::string_view standard = std::string_view(flag).substr(5);
    const bool gnu = standard.substr(0, 3) == "gnu";
    if (gnu || standard.substr(0, 3) == "iso") {
      standard.remove_prefix(3);
    } else if (standard.substr(0, 1) == "c") {
      standard.remove_prefix(1);
    }
    std::string version;
    if (standard == "89" || standard == "90" || standard == "9899:1990") {
      version.clear();
    } else if (standard == "9899:199409") {
      version = "199409L";
    } else if (standard == "99" || standard == "9x" || standard == "9899:1999") {
      version = "199901L";
    } else if (standard == "11" || standard == "1x" || standard == "9899:2011") {
      version = "201112L";
    } else if (standard == "17" || standard == "18" || standard == "9899:2017" || standard == "9899:2018") {
      version = "201710L";
    } else if (standard == "2x" || standard == "23") {
      version = "202000L";
    } else {
      continue;
    }
    MacroState undefined;
    undefined.kind = MacroState::Undefined;
    if (version.empty()) {
      macros.set("__STDC_VERSION__", undefined);
    } else {
      defineAs(macros, "__STDC_VERSION__", version);
    }
    if (gnu) {
      macros.set("__STRICT_ANSI__", undefined);
    } else {
      defineAs(macros, "__STRICT_ANSI__", "1");
    }
  }
}

// The standard's own names: what -undef leaves.
std::shared_ptr<const MacroTable> standardOnly(const MacroTable& from) {
  auto kept = std::make_shared<MacroTable>();
  for (std::string_view name : {"__STDC__", "__STDC_VERSION__", "__STDC_HOSTED__", "__STDC_UTF_16__",
                                "__STDC_UTF_32__", "__STDC_IEC_559__", "__STDC_IEC_559_COMPLEX__",
                                "__STDC_ISO_10646__"}) {
    const MacroState& state = from.find(name);
    if (state.kind == MacroState::Defined) kept->setCopy(name, state);
  }
  addUnlisted(*kept);
  return kept;
}

std::string bodyOf(const MacroTable& macros, std::string_view name) {
  const MacroState& state = macros.find(name);
  return state.kind == MacroState::Defined ? std::string(state.body) : std::string();
}

// The folder names of Debian's multiarch layout for the target the macros describe.
std::string multiarchOf(const MacroTable& macros) {
  auto defined = [&](std::string_view name) { return macros.find(name).kind == MacroState::Defined; };
  if (defined("__x86_64__")) return defined("__ILP32__") ? "x86_64-linux-gnux32" : "x86_64-linux-gnu";
  if (defined("__i386__")) return "i386-linux-gnu";
  if (defined("__aarch64__")) return "aarch64-linux-gnu";
  if (defined("__arm__")) return defined("__ARM_PCS_VFP") ? "arm-linux-gnueabihf" : "arm-linux-gnueabi";
  if (defined("__powerpc64__")) return defined("__LITTLE_ENDIAN__") ? "powerpc64le-linux-gnu" : "powerpc64-linux-gnu";
  if (defined("__s390x__")) return "s390x-linux-gnu";
  if (defined("__riscv")) return "riscv64-linux-gnu";
  if (defined("__mips64")) return "mips64el-linux-gnuabi64";
  return "x86_64-linux-gnu";
}

// The triple in a program's name: "aarch64-linux-gnu" of "aarch64-linux-gnu-gcc-12".
std::string tripleOfName(const std::string& program) {
  const std::string base = program.substr(program.find_last_of('/') + 1);
  const std::size_t gcc = base.rfind("-gcc");
  return gcc == std::string::npos || gcc == 0 ? std::string() : base.substr(0, gcc);
}

}  // namespace

std::vector<std::string> defaultQueryDrivers() {
  return {"/usr/bin/gcc*", "/usr/bin/cc", "/usr/bin/clang*", "/usr/bin/*-gcc*"};
}

std::vector<std::string> splitQueryDrivers(std::string_view value) {
  std::vector<std::string> patterns;
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    const std::string_view pattern = value.substr(0, comma);
    if (!pattern.empty()) patterns.emplace_back(pattern);
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return patterns;
}

void readPredefinedText(std::string_view text, MacroTable& macros) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    constexpr std::string_view kDefine = "#define ";
    if (line.substr(0, kDefine.size()) != kDefine) continue;
    line.remove_prefix(kDefine.size());
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ' ' && line[nameEnd] != '(') ++nameEnd;
    if (nameEnd == 0) continue;
    MacroState state;
    state.kind = MacroState::Defined;
    std::vector<PpToken> params;  // what the parameters' views see until the copy
    std::size_t body = nameEnd;
    if (body < line.size() && line[body] == '(') {
      state.functionLike = true;
      const std::size_t close = line.find(')', body);
      if (close == std::string_view::npos) continue;
      params = tokenizeExpression(line.substr(body + 1, close - body - 1));
      for (const PpToken& token : params) {
        if (token.kind == PpToken::Identifier) state.params.push_back(token.text);
        if (token.text == "...") {
          state.variadic = true;
          state.params.emplace_back("__VA_ARGS__");
        }
      }
      body = close + 1;
    }
    while (body < line.size() && line[body] == ' ') ++body;
    state.body = line.substr(body);
    macros.setCopy(line.substr(0, nameEnd), state);
  }
}

std::shared_ptr<const MacroTable> builtInPredefined() {
  static const std::shared_ptr<const MacroTable> table = [] {
    auto macros = std::make_shared<MacroTable>();
    readPredefinedText(gccPredefinedText(), *macros);
    addUnlisted(*macros);
    return std::shared_ptr<const MacroTable>(std::move(macros));
  }();
  return table;
}

std::vector<std::string> compilerFolders(const std::string& program, const MacroTable& macros) {
  // Folders of the layout that do not exist (as on Windows) are left out.
  std::vector<std::string> folders;
  const std::string multiarch = multiarchOf(macros);
  std::vector<std::string> candidates;
  if (macros.find("__clang__").kind == MacroState::Defined) {
    const std::string major = bodyOf(macros, "__clang_major__");
    const std::string real = program.empty() ? std::string() : resolvedPath(program);
    if (!real.empty() && !major.empty()) {
      const std::string resources = normalPath(folderOf(real) + "/../lib/clang");
      for (const std::string& version : folderEntries(resources)) {
        if (version == major || version.compare(0, major.size() + 1, major + ".") == 0) {
          candidates.push_back(resources + "/" + version + "/include");
          break;
        }
      }
    }
    candidates.push_back("/usr/local/include");
  } else {
    const std::string major = bodyOf(macros, "__GNUC__");
    std::string gccFolder;
    for (const std::string& triple : {tripleOfName(program), multiarch, std::string("x86_64-linux-gnu")}) {
      if (triple.empty() || major.empty()) continue;
      const std::string folder = "/usr/lib/gcc/" + triple + "/" + major;
      if (isDirectory(folder)) {
        gccFolder = folder;
        break;
      }
    }
    if (!gccFolder.empty()) candidates.push_back(gccFolder + "/include");
    candidates.push_back("/usr/local/include");
    if (!gccFolder.empty()) candidates.push_back(gccFolder + "/include-fixed");
  }
  candidates.push_back("/usr/include/" + multiarch);
  candidates.push_back("/usr/include");
  for (const std::string& folder : candidates) {
    if (isDirectory(folder)) folders.push_back(folder);
  }
  return folders;
}

CompilerSetup& CompilerCache::slot(const std::string& name, const std::string& directory,
                                   const std::vector<std::string>& targetFlags, bool noPredefined,
                                   bool& isNew) {
  // A command's compiler is looked for once per name and folder: a database names
  // the same one in every entry.
  auto [program, unseen] = programs_.try_emplace({name, directory});
  if (unseen) program->second = findProgram(name, directory);
  const std::string& path = program->second;
  std::vector<std::string> key = targetFlags;
  if (noPredefined) key.emplace_back("-undef");
  auto [at, made] = asked_.try_emplace({path.empty() ? "\n" + name : path, key});
  isNew = made;
  if (made) at->second.path = path;
  return at->second;
}

const CompilerSetup& CompilerCache::setup(const std::string& name, const std::string& directory,
                                          const std::vector<std::string>& targetFlags,
                                          bool noPredefined) {
  bool isNew = false;
  CompilerSetup& setup = slot(name, directory, targetFlags, noPredefined, isNew);
  if (isNew) ask(setup, targetFlags, noPredefined);
  return setup;
}

void CompilerCache::askAll(const std::vector<Request>& requests) {
  struct Asking {
    CompilerSetup* setup;
    const Request* request;
  };
  std::vector<Asking> asking;
  for (const Request& request : requests) {
    bool isNew = false;
    CompilerSetup& setup = slot(request.name, request.directory, request.targetFlags, request.noPredefined, isNew);
    if (isNew) asking.push_back(Asking{&setup, &request});
  }
  // Each on a thread of its own: the time is the compilers' start-up, not ours.
  runInOrder(
      asking.size(), static_cast<unsigned>(std::min<std::size_t>(asking.size(), kMostAskedAtOnce)),
      asking.size(),
      [&](std::size_t i) { ask(*asking[i].setup, asking[i].request->targetFlags, asking[i].request->noPredefined); },
      [](std::size_t) {});
}

void CompilerCache::ask(CompilerSetup& setup, const std::vector<std::string>& targetFlags,
                        bool noPredefined) const {
  const std::string& path = setup.path;
  bool allowed = false;
  for (const std::string& pattern : allowed_) allowed = allowed || matchPathPattern(pattern, path);
  if (path.empty()) {
    setup.source = CompilerSetup::NotFound;
  } else if (!allowed) {
    setup.source = CompilerSetup::NotAllowed;
  } else {
    // Nothing of the command but the flags that choose the target: no -fplugin,
    // -specs or -B, no file of the command.
    std::vector<std::string> args = {"-dM", "-E"};
    args.insert(args.end(), targetFlags.begin(), targetFlags.end());
    args.insert(args.end(), {"-x", "c", "-"});
    const ProgramRun run = runProgram(path, args, kOutputLimit, kSeconds);
    auto macros = std::make_shared<MacroTable>();
    if (run.finished) readPredefinedText(run.output, *macros);
    if (macros->find("__STDC__").kind == MacroState::Defined) {
      addUnlisted(*macros);
      setup.predefined = std::move(macros);
    } else {
      setup.source = CompilerSetup::Failed;
    }
  }
  if (!setup.predefined) {
    auto macros = std::make_shared<MacroTable>(builtInPredefined().get());
    applyStandard(*macros, targetFlags);
    // The base outlives every configuration: it is the program's own.
    setup.predefined = std::move(macros);
  }
  if (noPredefined) setup.predefined = standardOnly(*setup.predefined);
  setup.folders = compilerFolders(setup.source == CompilerSetup::Asked ? path : std::string(),
                                  *setup.predefined);
}

}  // namespace quenwick
