// The sources of the C scan: read and scanned on every core once all arguments
// are handled, then put into the function table in the order they were named.
#include <memory>

#include "config/texts.h"
#include "driver/program.h"
#include "platform/workers.h"
#include "tree/facts_table.h"

namespace quenwick {

namespace {

// Results that may wait, per thread, while an earlier file is still scanned.
constexpr std::size_t kWaitingPerThread = 8;

Text problemText(ScanProblem::Kind kind) {
  switch (kind) {
    case ScanProblem::Undecided:
      return Text::ProblemUndecided;
    case ScanProblem::UnclosedBrace:
      return Text::ProblemUnclosedBrace;
    case ScanProblem::ExcessBrace:
      return Text::ProblemExcessBrace;
    case ScanProblem::UnclosedCondition:
      return Text::ProblemUnclosedCondition;
    case ScanProblem::ExcessCondition:
      return Text::ProblemExcessCondition;
    case ScanProblem::UnclosedComment:
      return Text::ProblemUnclosedComment;
    case ScanProblem::UnclosedLiteral:
      return Text::ProblemUnclosedLiteral;
    case ScanProblem::TooDeep:
      return Text::ProblemTooDeep;
    case ScanProblem::HeaderMissing:
      return Text::ProblemHeaderMissing;
    case ScanProblem::Skipped:
      break;
  }
  return Text::ProblemSkipped;
}

// Texts with only their condition or name as detail.
bool showsDetail(ScanProblem::Kind kind) {
  return kind == ScanProblem::Undecided || kind == ScanProblem::ExcessCondition ||
         kind == ScanProblem::TooDeep || kind == ScanProblem::Skipped ||
         kind == ScanProblem::HeaderMissing;
}

}  // namespace

// -DNAME, -DNAME=VALUE and -UNAME, in command-line order.
void Program::addCSymbol(const std::string& value, bool define) {
  SymbolSetting setting;
  setting.define = define;
  const std::size_t equals = value.find('=');
  setting.name = value.substr(0, equals);
  if (define && equals != std::string::npos) setting.value = value.substr(equals + 1);
  if (setting.name.empty()) return;
  cSymbols_.push_back(std::move(setting));
}

bool Program::sameCConfig(const CScanJob& one, const CScanJob& other) const {
  return one.symbols == other.symbols && one.captions == other.captions &&
         one.captionKeyword == other.captionKeyword;
}

std::shared_ptr<CScanConfig> Program::cConfigOf(const CScanJob& job) const {
  auto config = std::make_shared<CScanConfig>();
  config->symbols.assign(cSymbols_.begin(), cSymbols_.begin() + static_cast<std::ptrdiff_t>(job.symbols));
  config->captions = job.captions;
  config->captionKeyword = job.captionKeyword;
  config->presumedLines = true;
  return config;
}

void Program::takeCFacts(FileFacts& facts, const FactsOptions& factsOptions) {
  if (facts.tooLarge) {
    // An input that is not read: the run fails unless --keep-going, as for one that
    // cannot be opened.
    console.err.printf(textFormat(Text::CScanTooLarge), facts.path.c_str(),
                       static_cast<unsigned long long>(kMaxCSourceSize >> 20));
    inputUnread();
    return;
  }
  if (!facts.read) {
    // As quenwick's scan reports a source it cannot open.
    console.err.write(facts.path);
    console.ringBell();
    console.err.write(text(Text::SourceMissing));
    console.err.put('\n');
    inputUnread();
    return;
  }
  if (!facts.isText) {
    console.err.printf(textFormat(Text::CScanNotText), facts.path.c_str());
    return;
  }
  addFileFacts(facts, functionTable, lists, factsOptions);
  reportCScanProblems(facts);
}

void Program::scanCSources() {
  if (frontEnd_.database != nullptr) return scanBuildSources();  // build_sources.cpp
  // One configuration for each run of files named with the same options.
  std::vector<std::shared_ptr<CScanConfig>> configs;
  std::vector<const CScanConfig*> configOf(cJobs_.size());
  for (std::size_t i = 0; i < cJobs_.size(); ++i) {
    const CScanJob& job = cJobs_[i];
    const CScanJob* before = i > 0 ? &cJobs_[i - 1] : nullptr;
    if (before == nullptr || !sameCConfig(*before, job)) configs.push_back(cConfigOf(job));
    configOf[i] = configs.back().get();
  }
  std::vector<FileFacts> results(cJobs_.size());
  const FactsOptions factsOptions{options.showComments, frontEnd_.keepSites};
  const unsigned threads = workerCount();
  runInOrder(
      cJobs_.size(), threads, threads * kWaitingPerThread,
      [&](std::size_t i) { results[i] = scanCFile(cJobs_[i].name, *configOf[i]); },
      [&](std::size_t i) {
        FileFacts facts = std::move(results[i]);
        results[i] = FileFacts();
        takeCFacts(facts, factsOptions);
      });
  cJobs_.clear();
  reportCScanTotals();
}

void Program::reportCScanProblems(const FileFacts& facts) {
  if (!facts.balanced()) ++unbalancedFiles_;
  undecidedConditions_ += facts.undecidedCount();
  missingHeaders_.insert(facts.missingHeaders.begin(), facts.missingHeaders.end());
  if (!options.verbose) return;
  for (const ScanProblem& problem : facts.problems) {
    const char* detail = showsDetail(problem.kind) ? problem.detail.c_str() : "";
    console.err.printf(textFormat(Text::CScanProblem), facts.path.c_str(), problem.place.line,
                       problem.place.column, textFormat(problemText(problem.kind)), detail);
  }
}

void Program::reportCScanTotals() {
  if (!missingHeaders_.empty()) {
    console.err.printf(textFormat(Text::CScanSummaryHeaders),
                       static_cast<unsigned long long>(unbalancedFiles_),
                       static_cast<unsigned long long>(undecidedConditions_),
                       static_cast<unsigned long long>(missingHeaders_.size()));
    return;
  }
  if (unbalancedFiles_ == 0 && undecidedConditions_ == 0) return;
  console.err.printf(textFormat(Text::CScanSummary),
                     static_cast<unsigned long long>(unbalancedFiles_),
                     static_cast<unsigned long long>(undecidedConditions_));
}

}  // namespace quenwick
