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

// The device path opened for a list text: the text itself on POSIX,
// "\\.\" + text on Windows unless the text already starts with "\\".
std::string DevicePathForPortText(const std::string& text);

}  // namespace kalvex
