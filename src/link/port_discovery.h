// The serial ports offered in ComboBox1, for the window and kalvex-cli alike.
#pragma once

#include <string>
#include <vector>

namespace kalvex {

// Linux: ttyUSB*, ttyACM*, rfcomm* and the ttyS* that are real UARTs, each
// only when it opens exclusively right now, sorted by path; then every path
// in `extra` in the order given, listed even when it does not open now.
// Windows: "COM1" .. "COM256", each that opens.
std::vector<std::string> DiscoverPorts(const std::vector<std::string>& extra = {});

// Linux: the /dev/serial/by-id name of the USB adapter at `path` (which
// tells one adapter from another), "" when it has none; Windows: "".
std::string SerialByIdName(const std::string& path);

// A port found, and whether this user may open it at all. A port that is
// there but refused for lack of permission is offered too, marked, so the
// adapter is not simply missing from the list.
struct PortEntry {
  std::string path;
  bool noPermission = false;
};
inline constexpr const char* kNoAccessMark = " (нет доступа)";

// As DiscoverPorts, plus the ports refused for lack of permission (Linux;
// on Windows every entry opens).
std::vector<PortEntry> DiscoverPortEntries(const std::vector<std::string>& extra = {});

// How a device answers the session's exclusive open right now.
enum class PortProbe { Opens, NoPermission, Unavailable };
PortProbe ProbePort(const std::string& path, bool requireRealUart = false);

// The device path opened for a list text: the text itself on POSIX,
// "\\.\" + text on Windows unless the text already starts with "\\".
std::string DevicePathForPortText(const std::string& text);

}  // namespace kalvex
