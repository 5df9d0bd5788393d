// quenwick's entry point: expands wildcards and runs the program.
#include <string>
#include <vector>

#include "driver/entry.h"
#include "driver/program.h"
#include "platform/wildcard.h"

namespace {

int runQuenwick(const std::vector<std::string>& typed, quenwick::Console& console) {
  using namespace quenwick;
  std::vector<std::string> args;
  if (!typed.empty()) args.push_back(typed[0]);
  std::vector<std::string> rest(typed.begin() + (typed.empty() ? 0 : 1), typed.end());
  for (std::string& argument : expandWildcards(rest)) args.push_back(std::move(argument));
  Program program(console);
  return program.main(args);
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runQuenwick);
}
