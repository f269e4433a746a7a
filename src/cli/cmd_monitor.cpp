#include <cstdio>

#include "cli/commands.h"

namespace kalvex::cli {

// Placeholder until this command lands.
int RunMonitor(int, char**) {
  std::fprintf(stderr, "kalvex-cli: monitor is not built yet\n");
  return 2;
}

}  // namespace kalvex::cli
