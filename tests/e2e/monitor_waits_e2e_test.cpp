// kalvex-cli monitor where a run used to wait without end or without limit:
// a name server that never answers, an adapter that never says a word; and
// a fault list printed over and over.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "e2e/adapter_faults.h"
#include "e2e/process_runner.h"

namespace kalvex::testing {
namespace {

bool WriteText(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return ok;
}

// In a process of its own: a user, mount and network namespace holding only
// the loopback device, /etc/resolv.conf naming 127.0.0.1, and a UDP socket
// on 127.0.0.1:53 that reads nothing, so every name lookup waits for its
// time-outs. No packet can leave: there is no other device.
bool EnterSilentNameServerWorld(const std::string& resolvConf, int& nameServer) {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (::unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0) return false;
  if (!WriteText("/proc/self/setgroups", "deny") ||
      !WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
    return false;
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  if (::mount(resolvConf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) return false;
  const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq lo{};
  std::snprintf(lo.ifr_name, sizeof lo.ifr_name, "lo");
  if (s < 0 || ::ioctl(s, SIOCGIFFLAGS, &lo) != 0) return false;
  lo.ifr_flags = static_cast<short>(lo.ifr_flags | IFF_UP);
  if (::ioctl(s, SIOCSIFFLAGS, &lo) != 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(53);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
  nameServer = s;
  return true;
}

TEST(MonitorWaits, ANameServerThatNeverAnswersEndsTheRunWithinTheConnectLimit) {
  const std::string conf = TempDir() + "/silent_resolv.conf";
  // Left alone, a lookup here takes 3 x 5 s.
  std::ofstream(conf) << "nameserver 127.0.0.1\noptions timeout:5 attempts:3\n";
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(report[0]);
    int nameServer = -1;
    if (!EnterSilentNameServerWorld(conf, nameServer)) ::_exit(77);
    const auto start = std::chrono::steady_clock::now();
    Child monitor({"monitor", "--port", "unanswered.example:35000", "--adapter", "elm327", "--make",
                   "0", "--ecu", "0", "--duration", "60"},
                  "silent_name_server");
    const int status = monitor.wait(30);
    const long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
    const std::string line = std::to_string(status) + " " + std::to_string(ms) + "\n";
    [[maybe_unused]] const ssize_t n = ::write(report[1], line.data(), line.size());
    ::_exit(0);
  }
  ::close(report[1]);
  char buf[64] = {};
  const ssize_t n = ::read(report[0], buf, sizeof buf - 1);
  ::close(report[0]);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 77)
    GTEST_SKIP() << "no user and network namespaces here";
  ASSERT_GT(n, 0);
  int status = -9;
  long ms = -1;
  ASSERT_EQ(std::sscanf(buf, "%d %ld", &status, &ms), 2) << buf;
  const std::string err = ReadFile(TempDir() + "/silent_name_server.err");
  std::printf("[ lookup ] exit %d after %ld ms\n", status, ms);
  EXPECT_EQ(status, 1) << err;
  EXPECT_LT(ms, 6000) << err;
  EXPECT_NE(err.find("Не удалось подключиться к unanswered.example:35000"), std::string::npos)
      << err;
}

// Without --reconnect the run gives up on an adapter that never said a line,
// and only on that one.
TEST(MonitorWaits, GivingUpOnASilentAdapter) {
  struct Case {
    const char* name;
    bool answersSetUp;  // a Kesta-mini that answers its set-up line, then an ECU that is silent
    std::vector<std::string> extra;
    int status;
    bool givesUp;
  };
  const Case cases[] = {
      {"silent", false, {"--give-up", "2", "--duration", "60"}, 3, true},
      {"silent_never", false, {"--give-up", "0", "--duration", "4"}, 3, false},
      {"silent_reconnect", false, {"--give-up", "2", "--duration", "4", "--reconnect"}, 3, false},
      {"answering", true, {"--give-up", "2", "--duration", "4"}, 3, false},
  };
  // Side by side: each waits out its own seconds.
  struct Running {
    std::unique_ptr<FaultyAdapter> adapter;
    std::unique_ptr<Child> monitor;
  };
  std::vector<Running> running;
  const auto start = std::chrono::steady_clock::now();
  for (const Case& c : cases) {
    Running r{std::make_unique<FaultyAdapter>(), nullptr};
    ASSERT_TRUE(r.adapter->ok());
    const bool answers = c.answersSetUp;
    r.adapter->run([answers](FaultyAdapter& a) {
      while (!a.stopping()) {
        const std::string l = a.line(200);
        if (answers && l.rfind("DS:", 0) == 0) a.send("PS\r");
      }
    });
    std::vector<std::string> args{"monitor", "--port", r.adapter->path(), "--adapter", "kesta",
                                  "--make",  "0",      "--ecu",           "0"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    r.monitor = std::make_unique<Child>(args, std::string("give_up_") + c.name);
    running.push_back(std::move(r));
  }
  for (size_t i = 0; i < running.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    Child& monitor = *running[i].monitor;
    EXPECT_EQ(monitor.wait(30), c.status) << monitor.err();
    EXPECT_EQ(monitor.err().find("giving up") != std::string::npos, c.givesUp) << monitor.err();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// --faults prints the list when a reply changes it, not at every reply.
TEST(MonitorWaits, TheFaultListIsPrintedWhenItChanges) {
  FaultyAdapter adapter;
  ASSERT_TRUE(adapter.ok());
  adapter.run([](FaultyAdapter& a) {
    KestaLinkUp(a);  // up to the first fault read
    const char* replies[] = {"PD:05:5801010220\r", "PD:05:5801010220\r", "PD:08:58020102200301E0\r",
                             "PD:08:58020102200301E0\r"};
    for (const char* reply : replies) {
      a.send(reply);
      while (!a.stopping() && a.line(500).empty()) {
      }
    }
    while (!a.stopping()) a.line(200);
  });
  Child monitor({"monitor", "--port", adapter.path(), "--adapter", "kesta", "--make", "0", "--ecu",
                 "0", "--faults", "--replies", "5", "--duration", "60"},
                "faults_changed");
  EXPECT_EQ(monitor.wait(60), 0) << monitor.err();
  const std::string one =
      "0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала\n";
  const std::string two = "0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре\n";
  EXPECT_EQ(monitor.out(), one + "\n" + one + two + "\n");
}

}  // namespace
}  // namespace kalvex::testing
