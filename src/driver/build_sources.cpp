// The C scan of a build: the files of its compilation database first, each with
// its own configuration, then the arguments it does not list, unconfigured; then
// the headers those files reach, each scanned in the configuration of the first
// file that includes it, and again for the first that reads it otherwise.
#include "driver/build_sources.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "config/format_text.h"
#include "config/texts.h"
#include "cscan/c_macros.h"
#include "driver/program.h"
#include "platform/file_path.h"
#include "platform/workers.h"
#include "tree/facts_table.h"

namespace quenwick {

namespace {

// Results that may wait, per thread, while an earlier file is still scanned.
constexpr std::size_t kWaitingPerThread = 8;

/// One file to scan with its configuration.
struct BuildJob {
  std::string name;                           // as the facts name it
  std::shared_ptr<const CScanConfig> config;  // its configuration
  std::vector<std::shared_ptr<const CScanConfig>> variants;  // the other ones it is compiled in
  // Per variant, the symbols whose settings differ from the first configuration's,
  // as indexes into `watch.names`; none when the variant differs otherwise too.
  std::vector<std::optional<std::vector<std::size_t>>> differences;
  SymbolWatch watch;  // the names of `differences`, and which the scan looked up
  std::shared_ptr<const CScanConfig> watched;  // `config` for the first scan, when it watches names
};

/// The names whose settings differ between `first` and `other`, which share a
/// build, or none when a function-like macro is among them (its name is not all
/// that a lookup compares).
std::optional<std::vector<std::string>> symbolsSetOtherwise(const CScanConfig& first, const CScanConfig& other) {
  if (first.build != other.build) return std::nullopt;
  // The last setting of each name is the one in force.
  auto last = [](const CScanConfig& config) {
    std::map<std::string_view, const SymbolSetting*> settings;
    for (const SymbolSetting& setting : config.symbols) settings[setting.name] = &setting;
    return settings;
  };
  const auto a = last(first);
  const auto b = last(other);
  std::set<std::string_view> names;
  for (const auto& [name, setting] : a) {
    auto found = b.find(name);
    if (found == b.end() || !(*found->second == *setting)) names.insert(name);
  }
  for (const auto& [name, setting] : b) {
    if (a.count(name) == 0) names.insert(name);
  }
  std::vector<std::string> differing;
  for (std::string_view name : names) {
    if (name.find('(') != std::string_view::npos) return std::nullopt;
    differing.emplace_back(name);
  }
  return differing;
}

}  // namespace

std::string describeDatabaseError(const DatabaseError& error) {
  if (error.kind == DatabaseError::Unreadable && error.line == 0) {
    return formatText(Text::DatabaseUnreadable, error.file.c_str());
  }
  std::string text = formatText(Text::DatabasePlace, error.file.c_str(), error.line, error.column);
  switch (error.kind) {
    case DatabaseError::Unreadable:
    case DatabaseError::NotJson:
      return text + formatText(Text::DatabaseNotJson, error.detail.c_str());
    case DatabaseError::NotList:
      return text + textFormat(Text::DatabaseNotList);
    case DatabaseError::NotObject:
      return text + formatText(Text::DatabaseNotObject, error.entry);
    case DatabaseError::NoFile:
      return text + formatText(Text::DatabaseNoFile, error.entry);
    case DatabaseError::BadField:
      return text + formatText(Text::DatabaseBadField, error.entry, error.detail.c_str());
    case DatabaseError::NoCommand:
      return text + formatText(Text::DatabaseNoCommand, error.entry);
    case DatabaseError::BadCommand:
      return text + formatText(Text::DatabaseBadCommand, error.entry, error.detail.c_str());
  }
  return text;
}

void reportDatabaseError(const DatabaseError& error, OutStream& err) {
  err.write(textFormat(Text::DatabaseProgram));
  err.write(describeDatabaseError(error));
}

void reportDatabaseNotices(const CompilationDatabase& database, OutStream& err) {
  for (const DatabaseNotice& notice : database.notices()) {
    const char* compiler = notice.compiler.c_str();
    switch (notice.kind) {
      case CompilerSetup::NotAllowed:
        err.printf(textFormat(Text::CompilerNotAllowed), compiler, compiler);
        break;
      case CompilerSetup::Failed:
        err.printf(textFormat(Text::CompilerFailed), compiler);
        break;
      case CompilerSetup::NotFound:
        err.printf(textFormat(Text::CompilerNotFound), compiler);
        break;
      case CompilerSetup::Asked:
        break;
    }
  }
}

void Program::scanBuildSources() {
  const CompilationDatabase& database = *frontEnd_.database;
  const std::string here = currentDirectory();
  ReachedHeaders reached(here);
  std::vector<BuildJob> jobs;
  std::unordered_map<std::string, std::string> givenNames;  // files by absolute path: as the facts name them
  // The database's files, with the captions in force at the end of the arguments
  // and the command line's -D and -U after the entry's own.
  for (const DatabaseEntry& entry : database.entries()) {
    auto configFor = [&](const CScanConfig& given, std::size_t variant) {
      auto config = std::make_shared<CScanConfig>(given);
      config->symbols.insert(config->symbols.end(), cSymbols_.begin(), cSymbols_.end());
      config->captions = options.showComments;
      config->captionKeyword = settings.caption;
      config->reached = &reached;
      config->compiledNames = true;
      config->presumedLines = true;
      config->rank = jobs.size();
      config->variant = variant;
      return config;
    };
    BuildJob job{entry.shown, configFor(*entry.config, 0), {}, {}, {}, {}};
    for (const auto& variant : entry.variants) job.variants.push_back(configFor(*variant, job.variants.size() + 1));
    // A variant that sets otherwise only symbols the first scan never looks up
    // reads the file alike: it need not be scanned.
    for (const auto& variant : job.variants) {
      std::optional<std::vector<std::string>> names = symbolsSetOtherwise(*job.config, *variant);
      if (!names) {
        job.differences.emplace_back();
        continue;
      }
      std::vector<std::size_t>& indexes = job.differences.emplace_back(std::vector<std::size_t>()).value();
      for (const std::string& name : *names) {
        auto at = std::find(job.watch.names.begin(), job.watch.names.end(), name);
        if (at == job.watch.names.end()) at = job.watch.names.insert(at, name);
        indexes.push_back(static_cast<std::size_t>(at - job.watch.names.begin()));
      }
    }
    if (!job.watch.names.empty()) {
      auto watched = std::make_shared<CScanConfig>(*job.config);
      watched->sharedSteps = false;
      job.watched = std::move(watched);
      reached.keepFirstReaches(job.config->rank);
    }
    reached.excludeListed(entry.path, entry.shown);
    if (!entry.resolved.empty()) reached.excludeListed(entry.resolved, entry.shown);
    givenNames.emplace(entry.path, entry.shown);
    jobs.push_back(std::move(job));
  }
  const std::size_t listed = jobs.size();
  // The arguments that it does not list, as without a database.
  std::shared_ptr<CScanConfig> last;
  const CScanJob* before = nullptr;
  for (const CScanJob& job : cJobs_) {
    const std::string path = absolutePath(job.name, here);
    if (database.find(path) != nullptr) continue;
    reached.exclude(path);
    givenNames.emplace(path, job.name);
    const std::string resolved = resolvedPath(path);
    if (!resolved.empty()) reached.exclude(resolved);
    if (before == nullptr || !sameCConfig(*before, job)) last = cConfigOf(job);
    before = &job;
    jobs.push_back(BuildJob{job.name, last, {}, {}, {}, {}});
  }

  std::vector<FileFacts> results(jobs.size());
  std::vector<std::vector<std::string>> headersOf(listed);
  const FactsOptions factsOptions{options.showComments, frontEnd_.keepSites};
  const unsigned threads = workerCount();
  auto take = [&](FileFacts& facts) { takeCFacts(facts, factsOptions); };
  runInOrder(
      jobs.size(), threads, threads * kWaitingPerThread,
      [&](std::size_t i) {
        BuildJob& job = jobs[i];
        results[i] = job.watched ? scanCFileWatching(job.name, *job.watched, &job.watch)
                                 : scanCFile(job.name, *job.config);
        // A file compiled in several configurations defines what each of them does.
        for (std::size_t v = 0; v < job.variants.size(); ++v) {
          if (!results[i].read) break;
          const std::optional<std::vector<std::size_t>>& differing = job.differences[v];
          if (differing && std::none_of(differing->begin(), differing->end(),
                                        [&job](std::size_t n) { return job.watch.read[n] != 0; })) {
            reached.noteReachesAlike({job.config->rank, v + 1});
            continue;
          }
          addVariantDefinitions(results[i], scanCFile(job.name, *job.variants[v]));
        }
      },
      [&](std::size_t i) {
        FileFacts facts = std::move(results[i]);
        results[i] = FileFacts();
        if (i < listed) {
          headersOf[i] = facts.headers;
          // Every header found: the macros its calls may reach are those of its headers.
          if (facts.read && facts.missingHeaders.empty()) {
            std::vector<std::string_view> names;
            names.reserve(facts.headers.size());
            for (const std::string& path : facts.headers) {
              // Named once per run: naming follows the folders' links.
              auto [given, isNew] = givenNames.try_emplace(path);
              if (isNew) given->second = reached.shown(path);
              names.push_back(given->second);
            }
            functionTable.setBuildHeaders(facts.path, names);
          }
        }
        take(facts);
      });
  // The headers that other includers read otherwise, scanned again by the first of
  // each: only what those scans find of the headers is kept. So are the listed
  // files that other files include, against what their own scans defined.
  const std::vector<std::pair<std::string, std::string>> included = reached.reachedListed();
  if (!included.empty()) {
    std::unordered_map<std::string_view, std::set<std::pair<std::string, DefinitionKind>>> defined;
    for (const auto& [path, shown] : included) defined.try_emplace(shown);
    for (const FuncRecord& record : functionTable.records()) {
      auto found = defined.find(record.filename);
      if (found != defined.end()) found->second.emplace(record.name, record.kind);
    }
    for (const auto& [path, shown] : included) reached.setListedDefinitions(path, defined[shown]);
  }
  const std::vector<ScanRank> again = reached.planAgain();
  runInOrder(
      again.size(), threads, threads * kWaitingPerThread,
      [&](std::size_t i) {
        const BuildJob& job = jobs[again[i].first];
        scanCFile(job.name, again[i].second == 0 ? *job.config : *job.variants[again[i].second - 1]);
      },
      [](std::size_t) {});
  reached.mergeAgain();
  // Under -V: the files that scanned a header again (each once, though it may
  // include the header more than once).
  auto reportAgain = [&](const ReachedHeader& header) {
    for (std::size_t k = 0; k < header.again.size(); ++k) {
      const std::string& includer = header.again[k].includer;
      if (k > 0 && includer == header.again[k - 1].includer) continue;
      console.err.printf(textFormat(Text::CScanHeaderReachedAgain), header.facts.path.c_str(), includer.c_str());
    }
  };
  // The headers that the listed files reach, in the order the first includer met them.
  for (std::size_t i = 0; i < listed; ++i) {
    for (const std::string& path : headersOf[i]) {
      const ReachedHeader* header = reached.find(path);
      if (header == nullptr || header->rank.first != i || !header->facts.read) continue;
      if (options.verbose) {
        console.err.printf(textFormat(Text::CScanHeaderReached), header->facts.path.c_str(),
                           header->includer.c_str());
        reportAgain(*header);
      }
      addFileFacts(header->facts, functionTable, lists, factsOptions);
      reportCScanProblems(header->facts);
    }
  }
  // What listed files define where other files include them.
  for (const ReachedHeader* source : reached.listedAgain()) {
    if (options.verbose) reportAgain(*source);
    addFileFacts(source->facts, functionTable, lists, factsOptions);
  }
  cJobs_.clear();
  reportCScanTotals();
}

}  // namespace quenwick
