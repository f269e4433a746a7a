#include "link/process_setup.h"

#ifndef _WIN32
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#endif

#ifdef _WIN32
#include <io.h>

#include <cstdio>
#endif

#include <cstdlib>
#include <vector>

namespace kalvex {

namespace {
bool stdoutClosed = false;
}  // namespace

bool OpenMissingStandardDescriptors() {
#ifdef _WIN32
  const int out = _fileno(stdout);
  stdoutClosed = out < 0 || _get_osfhandle(out) < 0;
#else
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1) stdoutClosed = true;
    // The lowest free descriptor is this one: those below are open.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened != fd) {
      if (opened >= 0) ::close(opened);
      return false;
    }
  }
#endif
  return true;
}

bool StandardOutputWasClosed() { return stdoutClosed; }

std::string HomeFolder() {
#ifdef _WIN32
  const char* home = std::getenv("USERPROFILE");
  return home ? home : "";
#else
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] != '/')
    return {};
  return found->pw_dir;
#endif
}

}  // namespace kalvex
