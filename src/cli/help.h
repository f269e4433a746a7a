// The texts of `kalvex-cli --help` and `kalvex-cli COMMAND --help`. The man
// page says the same in longer form; keep the two in step.
#pragma once

#include <string>

namespace kalvex::cli {

// The overview: every command's synopsis and the exit statuses.
const char* MainHelp();
// One command's synopsis and options; nullptr for an unknown command.
const char* CommandHelp(const std::string& command);
// "kalvex-cli 1.5" and the platform it was built for.
std::string VersionText();

}  // namespace kalvex::cli
