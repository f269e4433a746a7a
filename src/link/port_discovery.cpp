#include "link/port_discovery.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "link/link_factory.h"

#ifdef _WIN32
#include <windows.h>

#include "protocol/utf8_path.h"
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

int ComPortNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 8) return 0;
  for (size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  if (name[3] == '0') return 0;
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

std::vector<std::string> MergePortNames(const std::vector<std::string>& registered,
                                        const std::vector<int>& probed) {
  std::vector<int> numbers(probed.begin(), probed.end());
  std::vector<std::string> others;
  for (const std::string& name : registered) {
    if (const int n = ComPortNumber(name); n > 0)
      numbers.push_back(n);
    else
      others.push_back(name);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::sort(others.begin(), others.end());
  others.erase(std::unique(others.begin(), others.end()), others.end());
  std::vector<std::string> out;
  for (const int n : numbers) out.push_back("COM" + std::to_string(n));
  out.insert(out.end(), others.begin(), others.end());
  return out;
}

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

namespace {

// The port names the serial drivers registered: instant, and it holds
// ports that another program has open. UTF-16 names are turned to UTF-8;
// a value that is not text is left out.
std::vector<std::string> RegisteredPortNames() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLen = static_cast<DWORD>(std::size(valueName));
    wchar_t data[256] = {};
    DWORD dataBytes = sizeof data - sizeof(wchar_t);  // room for a terminator
    DWORD type = 0;
    const LONG r = ::RegEnumValueW(key, i, valueName, &nameLen, nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &dataBytes);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || type != REG_SZ) continue;  // too long or not a name
    std::wstring name(data, dataBytes / sizeof(wchar_t));
    while (!name.empty() && name.back() == L'\0') name.pop_back();
    if (!name.empty()) names.push_back(Utf8FromWide(name));
  }
  ::RegCloseKey(key);
  return names;
}

bool OpensExclusively(int n) {
  const std::wstring path = L"\\\\.\\COM" + std::to_wstring(n);
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return true;
}

}  // namespace

std::vector<std::string> DiscoverPorts(const std::vector<std::string>& extra) {
  const std::vector<std::string> registered = RegisteredPortNames();
  std::vector<int> known;
  for (const std::string& name : registered)
    if (const int n = ComPortNumber(name); n > 0) known.push_back(n);
  // The probe opens only what the registry did not name, so a port in use
  // is never touched and a listed one is never opened twice.
  std::vector<int> probed;
  for (int n = 1; n <= kMaxProbedComPort; ++n)
    if (std::find(known.begin(), known.end(), n) == known.end() && OpensExclusively(n))
      probed.push_back(n);
  std::vector<std::string> ports = MergePortNames(registered, probed);
  ports.insert(ports.end(), extra.begin(), extra.end());
  return ports;
}

std::string SerialByIdName(const std::string&) { return {}; }

// A path given whole ("\\.\COM3", "\\.\pipe\x") is opened as it is.
std::string DevicePathForPortText(const std::string& text) {
  if (text.rfind("tcp://", 0) == 0 || IsNetworkPortText(text))
    return text;  // opened by the TCP link as it is
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
