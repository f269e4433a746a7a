#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "link/port_discovery.h"
#include "link/system_errors.h"

namespace kalvex::cli {

int RunPorts(const PortsOptions& o) {
  const std::vector<std::string>& extra = o.extraPorts;
  // Ports this user may not open are listed too, marked, with what to do
  // about each on stderr: an adapter must not be silently missing.
  for (const PortEntry& p : DiscoverPortEntries(extra)) {
    std::printf("%s%s\n", p.path.c_str(),
                p.noPermission ? TranslateText(kNoAccessMark).c_str() : "");
    if (p.noPermission) std::fprintf(stderr, "%s\n", PermissionHint(p.path).c_str());
  }
  // A list that did not reach its reader (a full disk, a closed pipe) is no success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kalvex-cli ports: cannot write the list\n");
    return 1;
  }
  return 0;
}

}  // namespace kalvex::cli
