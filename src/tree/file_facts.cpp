#include "tree/file_facts.h"

namespace quenwick {

bool FileFacts::balanced() const {
  for (const ScanProblem& problem : problems) {
    switch (problem.kind) {
      case ScanProblem::UnclosedBrace:
      case ScanProblem::ExcessBrace:
      case ScanProblem::UnclosedCondition:
      case ScanProblem::ExcessCondition:
      case ScanProblem::UnclosedComment:
      case ScanProblem::UnclosedLiteral:
        return false;
      default:
        break;
    }
  }
  return true;
}

std::size_t FileFacts::undecidedCount() const {
  std::size_t count = 0;
  for (const ScanProblem& problem : problems) count += problem.kind == ScanProblem::Undecided;
  return count;
}

bool sharesStatics(const std::string& path) {
  return !(path.size() >= 2 && path.compare(path.size() - 2, 2, ".c") == 0);
}

}  // namespace quenwick
