// What a user meets when the chosen port is not usable: the port's name, the
// reason in Russian, and what to do. "No permission" cannot be met as root,
// so that row runs in a child that has dropped to the user nobody.
#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "link/port_discovery.h"
#include "link/system_errors.h"
#include "link/va_comm.h"

namespace kalvex {
namespace {

struct Outcome {
  PortProbe probe = PortProbe::Unavailable;
  bool marked = false;  // listed with the no-access mark
  std::string error;    // PortErrorText of the open failure; empty when it opened
};

Outcome TryPort(const std::string& path) {
  Outcome out;
  out.probe = ProbePort(path);
  out.marked = DiscoverPortEntries({path}).back().noPermission;
  TVaComm port([](std::function<void()>) {});
  try {
    port.openDevice(path);
    port.closeDevice();
  } catch (const EVaCommError& e) {
    out.error = PortErrorText(path, e.what());
  }
  return out;
}

// TryPort as the user nobody, in a child; the parent stays root.
Outcome TryPortAsNobody(const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const passwd* nobody = ::getpwnam("nobody");
  const uid_t uid = nobody ? nobody->pw_uid : 65534;
  const gid_t gid = nobody ? nobody->pw_gid : 65534;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(3);
    const Outcome out = TryPort(path);
    const std::string msg =
        std::to_string(static_cast<int>(out.probe)) + (out.marked ? "1" : "0") + out.error;
    ssize_t w = ::write(fds[1], msg.data(), msg.size());
    ::_exit(w == static_cast<ssize_t>(msg.size()) ? 0 : 4);
  }
  ::close(fds[1]);
  std::string msg;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
    msg.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome out;
  if (msg.size() < 2 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    out.error = "child failed";
    return out;
  }
  out.probe = static_cast<PortProbe>(msg[0] - '0');
  out.marked = msg.size() > 1 && msg[1] == '1';
  out.error = msg.substr(2);
  return out;
}

TEST(PortCases, EachFailureNamesThePortAndTheReason) {
  // A real terminal that only its owner (root) may open.
  int master = -1, slave = -1;
  char name[128] = {};
  ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  const std::string pty = name;
  const bool root = ::geteuid() == 0;  // only root can become nobody
  if (root) {
    ASSERT_EQ(::chown(pty.c_str(), 0, 0), 0);
  }
  ASSERT_EQ(::chmod(pty.c_str(), 0600), 0);
  char file[] = "/tmp/kalvex-port-case-XXXXXX";
  const int fd = ::mkstemp(file);
  ASSERT_GE(fd, 0);
  ::close(fd);

  struct Case {
    const char* what;
    std::string path;
    bool asNobody;
    PortProbe probe;
    std::vector<std::string> said;  // all in the message shown
  };
  const Case cases[] = {
      {"missing",
       "/dev/kalvex-no-such-port",
       false,
       PortProbe::Unavailable,
       {"Порт /dev/kalvex-no-such-port не найден", "адаптер отключён?"}},
      {"no permission, root's own device",
       pty,
       true,
       PortProbe::NoPermission,
       {"Не удалось открыть порт " + pty + ": нет прав доступа", "Нет прав на порт " + pty,
        "права 0600", "вступление в группу не поможет"}},
      {"not a serial device: a plain file",
       file,
       false,
       PortProbe::Opens,
       {std::string("Устройство ") + file + " не является последовательным портом"}},
      {"not a serial device: /dev/null",
       "/dev/null",
       false,
       PortProbe::Opens,
       {"Устройство /dev/null не является последовательным портом"}},
  };
  for (const Case& c : cases) {
    if (c.asNobody && !root) continue;
    const Outcome out = c.asNobody ? TryPortAsNobody(c.path) : TryPort(c.path);
    EXPECT_EQ(out.probe, c.probe) << c.what;
    EXPECT_EQ(out.marked, c.probe == PortProbe::NoPermission) << c.what;
    for (const std::string& s : c.said)
      EXPECT_NE(out.error.find(s), std::string::npos) << c.what << ": " << out.error;
  }
  // Root opens the same terminal: it is no failure.
  EXPECT_EQ(TryPort(pty).error, "") << "its owner";
  ::unlink(file);
  ::close(slave);
  ::close(master);
}

TEST(PortCases, PermissionHintNamesTheGroupOrSaysNoGroupHelps) {
  struct Case {
    DeviceOwnership owner;
    std::string want;
    bool groupHelps;
  };
  const Case cases[] = {
      {{"dialout", 20, 0660}, "группу dialout (sudo usermod -aG dialout $USER)", true},
      {{"uucp", 14, 0660}, "группу uucp (sudo usermod -aG uucp $USER)", true},
      {{"root", 0, 0600}, "права 0600, группа root", false},
      {{"root", 0, 0660}, "группа root", false},
      {{"dialout", 20, 0640}, "права 0640, группа dialout", false},
  };
  for (const Case& c : cases) {
    const std::string hint = PermissionHintFor("/dev/ttyUSB0", c.owner);
    EXPECT_EQ(hint.rfind("Нет прав на порт /dev/ttyUSB0: ", 0), 0u) << hint;
    EXPECT_NE(hint.find(c.want), std::string::npos) << hint;
    EXPECT_EQ(hint.find("вступление в группу не поможет") == std::string::npos, c.groupHelps)
        << hint;
  }
}

TEST(PortCases, PortLayerFailuresInRussianWithTheOriginalKept) {
  const struct {
    const char* message;
    const char* want;
  } cases[] = {
      {"Read error (5), Input/output error",
       "Ошибка чтения из порта /dev/ttyUSB0: ошибка ввода-вывода (адаптер отключён или "
       "неисправен?) "
       "(Read error (5), Input/output error)."},
      {"Write error (5), Input/output error",
       "Ошибка записи в порт /dev/ttyUSB0: ошибка ввода-вывода"},
      {"Can't open specified device /dev/ttyUSB0 (Error 16, Device or resource busy)",
       "Не удалось открыть порт /dev/ttyUSB0: занято другой программой"},
      {"device gone", "Порт /dev/ttyUSB0: device gone"},
  };
  for (const auto& c : cases) {
    const std::string text = PortErrorText("/dev/ttyUSB0", c.message);
    EXPECT_EQ(text.rfind(c.want, 0), 0u) << text;
  }
}

// A code we have no words for is given as the system's text and code, once:
// the port layer's message, which says only that again, is not repeated.
TEST(PortCases, TheSystemsOwnReasonIsSaidOnce) {
  const std::string reason =
      std::string(std::strerror(EPROTO)) + " (код " + std::to_string(EPROTO) + ")";
  const struct {
    std::string message;
    std::string want;
  } cases[] = {
      {"Write error (" + std::to_string(EPROTO) + "), " + std::strerror(EPROTO),
       "Ошибка записи в порт /dev/ttyUSB0: " + reason + "."},
      {"Read error (" + std::to_string(EPROTO) + "), " + std::strerror(EPROTO),
       "Ошибка чтения из порта /dev/ttyUSB0: " + reason + "."},
      // Our own words keep the original after them.
      {"Write error (5), Input/output error",
       "Ошибка записи в порт /dev/ttyUSB0: ошибка ввода-вывода (адаптер отключён или "
       "неисправен?) (Write error (5), Input/output error)."},
  };
  for (const auto& c : cases) EXPECT_EQ(PortErrorText("/dev/ttyUSB0", c.message), c.want);
}

}  // namespace
}  // namespace kalvex
