// Helpers the whole-process benchmarks share.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kalvex::bench {

// The folder of the built programs: KALVEX_BINARY_DIR, else this binary's own.
inline std::string BinaryDir() {
  if (const char* d = std::getenv("KALVEX_BINARY_DIR")) return d;
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string self(buf, static_cast<size_t>(n));
  return self.substr(0, self.rfind('/'));
}

}  // namespace kalvex::bench
