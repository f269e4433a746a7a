#include <cstdio>

#include "cli/commands.h"

namespace kalvex::cli {

// Placeholder until this command lands.
int RunDecode(int, char**) {
  std::fprintf(stderr, "kalvex-cli: decode is not built yet\n");
  return 2;
}

}  // namespace kalvex::cli
