// The console: standard output, standard error, the warning bell, and the
// console device name of the tree information file.
#pragma once

#include <string_view>

#include "platform/out_stream.h"

namespace quenwick {

/// True when `name` is the console device "CON" (in any letter case).
bool isConsoleDevice(std::string_view name);

/// Opens the console device for writing into `stream`, whatever standard output and
/// standard error are redirected to. False where there is none: on Linux, where
/// standard error stands for it, and on Windows for a process without a console.
bool openConsoleDevice(OutStream& stream);

/// Standard output (buffered) and standard error (written at the end of each
/// message), with the bell. Tests point both at descriptors of their own.
struct Console {
  /// Streams on the given descriptors (1 and 2 for a real run). With
  /// `outAutoFlush`, `out` writes each call at once too (for sharing a descriptor
  /// with `err` in order).
  Console(int outFd = 1, int errFd = 2, bool outAutoFlush = false)
      : out(outFd, outAutoFlush), err(errFd, true) {}

  /// Writes the BEL character to standard error, unless the bell is switched off.
  void ringBell() {
    if (*beep != 0) err.put('\a');
  }

  OutStream out;               // the call tree, the -V trace and the #elif lines
  OutStream err;               // banner, progress lines and messages
  const int* beep = &kBellOn;  // the bell setting; rings while it is non-zero

 private:
  static constexpr int kBellOn = 1;
};

}  // namespace quenwick
