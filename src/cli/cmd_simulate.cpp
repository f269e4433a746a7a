#include <cstdio>

#include "cli/commands.h"

namespace kalvex::cli {

// Placeholder until this command lands.
int RunSimulate(int, char**) {
  std::fprintf(stderr, "kalvex-cli: simulate is not built yet\n");
  return 2;
}

}  // namespace kalvex::cli
