#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "link/port_discovery.h"
#include "link/system_errors.h"

namespace kalvex::cli {

int PrintPorts(const std::vector<PortEntry>& ports, std::FILE* out, std::FILE* err) {
  // Ports this user may not open are listed too, marked, with what to do
  // about each on stderr: an adapter must not be silently missing. Nor
  // must the whole list: none at all says how to connect one.
  for (const PortEntry& p : ports) {
    std::fprintf(out, "%s%s\n", p.path.c_str(),
                 p.noPermission ? TranslateText(kNoAccessMark).c_str() : "");
    if (p.noPermission) std::fprintf(err, "%s\n", PermissionHint(p.path).c_str());
  }
  if (ports.empty()) std::fprintf(err, "%s\n", TranslateText(kNoAdapterFoundCli).c_str());
  // A list that did not reach its reader (a full disk, a closed pipe) is no success.
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "kalvex-cli ports: cannot write the list\n");
    return 1;
  }
  return 0;
}

int RunPorts(const PortsOptions& o) {
  return PrintPorts(DiscoverPortEntries(o.extraPorts), stdout, stderr);
}

}  // namespace kalvex::cli
