// A small adapter on the far side of a pseudo-terminal, for whole-session
// tests and the session-rate benchmark: a thread reads CR-ended lines from
// the master side and writes back whatever the answer function returns.
// Header-only; POSIX.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kalvex::test {

class AdapterPeer {
 public:
  // Gets one line without its CR; returns the bytes to send back (may be
  // empty). Runs on the peer's thread.
  using Answer = std::function<std::string(const std::string& line)>;

  explicit AdapterPeer(Answer answer) : answer_(std::move(answer)) {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) return;
    path_ = name;
    thread_ = std::thread([this] { loop(); });
  }
  ~AdapterPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
  }
  AdapterPeer(const AdapterPeer&) = delete;
  AdapterPeer& operator=(const AdapterPeer&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::vector<std::string> lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  size_t lineCount() {
    std::lock_guard lock(mutex_);
    return lines_.size();
  }

 private:
  void loop() {
    std::string pending;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      if (p.revents & (POLLHUP | POLLERR)) {
        ::usleep(20000);  // nobody on the slave side right now
        continue;
      }
      char buf[512];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) continue;
      pending.append(buf, static_cast<size_t>(n));
      for (size_t cr; (cr = pending.find('\r')) != std::string::npos;) {
        std::string line = pending.substr(0, cr);
        pending.erase(0, cr + 1);
        {
          std::lock_guard lock(mutex_);
          lines_.push_back(line);
        }
        const std::string reply = answer_(line);
        size_t done = 0;
        while (done < reply.size()) {
          const ssize_t w = ::write(master_, reply.data() + done, reply.size() - done);
          if (w <= 0) break;
          done += static_cast<size_t>(w);
        }
      }
    }
  }

  Answer answer_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// An ELM327 with echo on: AT commands answer OK ("AT Z" its identification),
// requests answer with `data(request)` as spaced hex pairs, or NO DATA.
inline AdapterPeer::Answer ElmAnswer(std::function<std::string(const std::string&)> data) {
  return [data = std::move(data)](const std::string& line) -> std::string {
    if (line == "AT Z") return line + "\r\r\rELM327 v1.5\r\r>";
    if (line.rfind("AT", 0) == 0) return line + "\rOK\r\r>";
    if (line.empty()) return "\r>";
    const std::string reply = data(line);
    return line + "\r" + (reply.empty() ? std::string("NO DATA") : reply) + "\r\r>";
  };
}

// A Kesta-mini: "PS" for the set-up line, "PD" lines for requests (the
// checksum byte is ignored; `data` gets the text and answers hex pairs
// without spaces, or nothing).
inline AdapterPeer::Answer KestaAnswer(std::function<std::string(const std::string&)> data) {
  return [data = std::move(data)](const std::string& line) -> std::string {
    if (line.size() < 2) return {};
    const std::string text = line.substr(0, line.size() - 1);
    if (text.rfind("DS:", 0) == 0) return "PS\r";
    const std::string reply = data(text);
    if (reply.empty()) return {};
    char count[8];
    std::snprintf(count, sizeof count, "%02X", static_cast<unsigned>(reply.size() / 2));
    return "PD:" + std::string(count) + ":" + reply + "\r";
  };
}

}  // namespace kalvex::test
