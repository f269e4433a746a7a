#include "link/port_discovery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

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

PortProbe ProbePort(const std::string& path, bool) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return PortProbe::Unavailable;
  CloseHandle(h);
  return PortProbe::Opens;
}

std::vector<PortEntry> DiscoverPortEntries(const std::vector<std::string>& extra) {
  std::vector<PortEntry> entries;
  for (const std::string& p : DiscoverPorts(extra)) entries.push_back({p, false});
  return entries;
}

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

// The UART type as sysfs tells it to anyone, for a port this user may not
// open: "0" is the 8250 driver's placeholder without hardware behind it.
bool SysfsSaysRealUart(const std::string& name) {
  FILE* f = std::fopen(("/sys/class/tty/" + name + "/type").c_str(), "r");
  if (!f) return false;
  int type = 0;
  const bool read = std::fscanf(f, "%d", &type) == 1;
  std::fclose(f);
  return read && type != PORT_UNKNOWN;
}

}  // namespace

// Opens the device the way a session would (non-blocking, exclusive) and
// lets it go again. A port held by another program is not offered.
PortProbe ProbePort(const std::string& path, bool requireRealUart) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return errno == EACCES || errno == EPERM ? PortProbe::NoPermission : PortProbe::Unavailable;
  }
  bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (ok && requireRealUart) {
    // The 8250 driver registers ttyS0..31 whether or not a UART is there;
    // only a port type other than "unknown" is real hardware.
    serial_struct info{};
    ok = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  }
  if (ok) ::flock(fd, LOCK_UN);
  ::close(fd);
  return ok ? PortProbe::Opens : PortProbe::Unavailable;
}

std::vector<std::string> DiscoverPorts(const std::vector<std::string>& extra) {
  std::vector<std::string> ports;
  for (PortEntry& e : DiscoverPortEntries(extra))
    if (!e.noPermission) ports.push_back(std::move(e.path));
  return ports;
}

std::vector<PortEntry> DiscoverPortEntries(const std::vector<std::string>& extra) {
  std::vector<PortEntry> ports;
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
      const PortProbe probe = ProbePort(path, uart);
      if (probe == PortProbe::Opens) {
        ports.push_back({path, false});
      } else if (probe == PortProbe::NoPermission && (!uart || SysfsSaysRealUart(name))) {
        ports.push_back({path, true});
      }
    }
    ::closedir(dir);
  }
  std::sort(ports.begin(), ports.end(),
            [](const PortEntry& a, const PortEntry& b) { return a.path < b.path; });
  // Given by hand: listed whatever they do now; marked when refused.
  for (const std::string& p : extra) ports.push_back({p, ProbePort(p) == PortProbe::NoPermission});
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
