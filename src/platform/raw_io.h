// Unbuffered byte streams on file descriptors, for a protocol on standard input and
// output: binary mode, whole writes, and a wait for input that can time out.
#pragma once

#include <cstddef>
#include <string_view>

namespace quenwick {

/// Puts `fd` in binary mode, so that no line end is translated (Windows only; POSIX
/// descriptors have no text mode).
void setBinaryMode(int fd);

/// Makes a write to a closed pipe fail with an error instead of ending the process
/// (POSIX; Windows has no such signal).
void ignoreBrokenPipe();

/// Reads at most `size` bytes from `fd` into `buffer`, waiting for at least one.
/// Returns the bytes read, 0 at the end of the input, -1 on an error.
long readSome(int fd, char* buffer, std::size_t size);

/// Writes every byte of `bytes` to `fd`, retrying after interruptions and partial
/// writes. False when a write fails.
bool writeAll(int fd, std::string_view bytes);

/// Waits up to `timeoutMs` milliseconds (0: not at all) until `fd` has input to
/// read or is at its end. True when a read would not block.
bool inputReady(int fd, int timeoutMs);

}  // namespace quenwick
