// quenwick's entry point: the arguments, wildcards expanded, to the program.
#include "driver/entry.h"
#include "driver/program.h"
#include "platform/command_line.h"

namespace {

int runQuenwick(int argc, char** argv, quenwick::Console& console) {
  quenwick::Program program(console);
  return program.main(quenwick::programArguments(argc, argv));
}

}  // namespace

int main(int argc, char** argv) {
  return quenwick::runEntryPoint(argc, argv, runQuenwick);
}
