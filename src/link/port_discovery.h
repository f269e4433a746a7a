// The serial ports offered in ComboBox1, for the window and kalvex-cli alike.
#pragma once

#include <string>
#include <vector>

#include "protocol/translate.h"

namespace kalvex {

// Linux: ttyUSB*, ttyACM*, rfcomm* and the ttyS* that are real UARTs, each
// only when it opens exclusively right now, sorted by path; then every path
// in `extra` in the order given, listed even when it does not open now.
// Windows: the ports named in HARDWARE\DEVICEMAP\SERIALCOMM (busy ones
// too) merged with those of "COM1" .. "COM256" that open, as MergePortNames
// orders them; then `extra`. Cheap enough to run each time the list opens.
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
inline constexpr const char* kNoAccessMark = QT_TRANSLATE_NOOP("kalvex", " (нет доступа)");

// What to do when no port at all is found: in the window, whose list ends
// with the Wi-Fi item; and in kalvex-cli, where a port is given by --port.
inline constexpr const char* kNoAdapterFound =
    QT_TRANSLATE_NOOP("kalvex",
                      "Адаптер не найден: подключите USB-адаптер, привяжите Bluetooth-адаптер или "
                      "выберите «Wi-Fi адаптер…»");
inline constexpr const char* kNoAdapterFoundCli =
    QT_TRANSLATE_NOOP("kalvex",
                      "Адаптер не найден: подключите USB-адаптер или привяжите Bluetooth-адаптер; "
                      "Wi-Fi адаптер укажите как --port tcp://ХОСТ:ПОРТ, другое устройство — как "
                      "--port ПУТЬ.");

// As DiscoverPorts, plus the ports refused for lack of permission (Linux;
// on Windows every entry opens).
std::vector<PortEntry> DiscoverPortEntries(const std::vector<std::string>& extra = {});

// How a device answers the session's exclusive open right now.
enum class PortProbe { Opens, NoPermission, Unavailable };
PortProbe ProbePort(const std::string& path, bool requireRealUart = false);

inline constexpr int kMaxProbedComPort = 256;

// n for "COMn" (any case, n >= 1 without leading zero), else 0.
int ComPortNumber(const std::string& name);
// One "COMn" per number, in number order, then the names that are not
// "COMn" (a driver's own, such as "CNCA0") in name order; no duplicates.
std::vector<std::string> MergePortNames(const std::vector<std::string>& registered,
                                        const std::vector<int>& probed);

// The device path opened for a list text: the text itself on POSIX,
// "\\.\" + text on Windows unless the text already starts with "\\".
std::string DevicePathForPortText(const std::string& text);

}  // namespace kalvex
