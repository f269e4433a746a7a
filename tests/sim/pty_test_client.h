// A test's end of a simulator pseudo-terminal: opens the slave raw and
// exchanges whole replies with a bounded wait (a hang fails, never blocks).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace kalvex::testing {

class PtyTestClient {
 public:
  explicit PtyTestClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }
  ~PtyTestClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  void send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0)
        done += static_cast<size_t>(n);
      else
        pollFor(POLLOUT, 100);
    }
  }

  // Reads until `terminator` has arrived `count` times, or the deadline passes.
  std::string readUntil(char terminator, int count = 1, int timeoutMs = 3000) {
    std::string got;
    int seen = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (seen < count && std::chrono::steady_clock::now() < end) {
      if (!pollFor(POLLIN, 50)) continue;
      char c;
      while (seen < count && ::read(fd_, &c, 1) == 1) {
        got += c;
        if (c == terminator) ++seen;
      }
    }
    return got;
  }

  // Whatever arrives within `ms` (for checking that nothing does).
  std::string drain(int ms) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (!pollFor(POLLIN, 20)) continue;
      char buf[256];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }

 private:
  bool pollFor(short events, int ms) {
    pollfd p{fd_, events, 0};
    return ::poll(&p, 1, ms) > 0 && (p.revents & events);
  }
  int fd_ = -1;
};

}  // namespace kalvex::testing
