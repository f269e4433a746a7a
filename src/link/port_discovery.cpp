#include "link/port_discovery.h"

#include <algorithm>

#include "link/link_factory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/serial.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#endif

namespace kalvex {

#ifdef _WIN32

std::vector<std::string> DiscoverPorts(const std::vector<std::string>& extra) {
  std::vector<std::string> ports;
  for (int n = 1; n <= 256; ++n) {
    const std::string path = "\\\\.\\COM" + std::to_string(n);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ports.push_back("COM" + std::to_string(n));
      CloseHandle(h);
    }
  }
  ports.insert(ports.end(), extra.begin(), extra.end());
  return ports;
}

std::string SerialByIdName(const std::string&) { return {}; }

// A path given whole ("\\.\COM3", "\\.\pipe\x") is opened as it is.
std::string DevicePathForPortText(const std::string& text) {
  if (IsNetworkPortText(text)) return text;  // opened by the TCP link as it is
  return text.rfind("\\\\", 0) == 0 ? text : "\\\\.\\" + text;
}

#else

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Opens the device the way a session would (non-blocking, exclusive) and
// lets it go again. A port held by another program is not offered.
bool OpensExclusively(const std::string& path, bool requireRealUart) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (ok && requireRealUart) {
    // The 8250 driver registers ttyS0..31 whether or not a UART is there;
    // only a port type other than "unknown" is real hardware.
    serial_struct info{};
    ok = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  }
  if (ok) ::flock(fd, LOCK_UN);
  ::close(fd);
  return ok;
}

}  // namespace

std::vector<std::string> DiscoverPorts(const std::vector<std::string>& extra) {
  std::vector<std::string> ports;
  if (DIR* dir = ::opendir("/sys/class/tty")) {
    while (dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      const bool uart = StartsWith(name, "ttyS");
      if (!uart && !StartsWith(name, "ttyUSB") && !StartsWith(name, "ttyACM") &&
          !StartsWith(name, "rfcomm"))
        continue;
      // Virtual consoles and the like have no device link in sysfs.
      const std::string deviceLink = "/sys/class/tty/" + name + "/device";
      if (::access(deviceLink.c_str(), F_OK) != 0) continue;
      const std::string path = "/dev/" + name;
      if (OpensExclusively(path, uart)) ports.push_back(path);
    }
    ::closedir(dir);
  }
  std::sort(ports.begin(), ports.end());
  ports.insert(ports.end(), extra.begin(), extra.end());
  return ports;
}

std::string DevicePathForPortText(const std::string& text) { return text; }

std::string SerialByIdName(const std::string& path) {
  char target[PATH_MAX];
  if (!::realpath(path.c_str(), target)) return {};
  std::string name;
  if (DIR* dir = ::opendir("/dev/serial/by-id")) {
    while (dirent* e = ::readdir(dir)) {
      if (e->d_name[0] == '.') continue;
      const std::string link = std::string("/dev/serial/by-id/") + e->d_name;
      char resolved[PATH_MAX];
      if (::realpath(link.c_str(), resolved) && std::strcmp(resolved, target) == 0) {
        name = e->d_name;
        break;
      }
    }
    ::closedir(dir);
  }
  return name;
}

#endif

}  // namespace kalvex
