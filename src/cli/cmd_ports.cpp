#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "link/port_discovery.h"

namespace kalvex::cli {

int RunPorts(int argc, char** argv) {
  std::vector<std::string> extra;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
      extra.emplace_back(argv[++i]);
    } else {
      std::fprintf(stderr, "kalvex-cli ports: unknown argument: %s\n", argv[i]);
      return 2;
    }
  }
  for (const std::string& p : DiscoverPorts(extra)) std::printf("%s\n", p.c_str());
  // A list that did not reach its reader (a full disk, a closed pipe) is no success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kalvex-cli ports: cannot write the list\n");
    return 1;
  }
  return 0;
}

}  // namespace kalvex::cli
