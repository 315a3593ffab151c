#pragma once
// Low-level helpers shared by SerialPort and PtyPair.
#include <cstddef>

namespace serial::detail {
long writeAll(int fd, const void* data, std::size_t n);
long readAvailable(int fd, void* buf, std::size_t n);
long readFor(int fd, void* buf, std::size_t n, int timeoutMs);
bool waitReadable(int fd, int timeoutMs);
bool makeRaw(int fd, unsigned speed);
} // namespace serial::detail
