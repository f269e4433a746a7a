#include "sim/pty_server.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace kalvex::sim {
#ifndef _WIN32
namespace {

constexpr size_t kMaxQueuedBytes = 64 * 1024;  // nobody reading: keep the newest only
constexpr size_t kReceivedLinesKept = 512;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace
#endif

#ifdef _WIN32
// No pseudo-terminals here; demo mode and the simulate command need them.
std::unique_ptr<PtyServer> PtyServer::Start(const PtyServerOptions&, std::string& error) {
  error = "pseudo-terminals are not available on this system";
  return nullptr;
}
void PtyServer::stop() {}
#else
std::unique_ptr<PtyServer> PtyServer::Start(const PtyServerOptions& options, std::string& error) {
  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return nullptr;
  }
  // Raw on the slave from the start: no echo of our own replies back to us,
  // no CR/NL translation before the scanner sets its own modes.
  termios tio{};
  if (::tcgetattr(slave, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  int wake[2];
  if (::pipe(wake) != 0) {
    error = std::string("cannot create a pipe: ") + std::strerror(errno);
    ::close(master);
    ::close(slave);
    return nullptr;
  }
  for (int fd : wake) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  std::unique_ptr<PtyServer> server(new PtyServer(master, slave, wake[0], wake[1], name, options));
  server->thread_ = std::thread([s = server.get()] { s->run(); });
  return server;
}

PtyServer::PtyServer(int master, int slave, int wakeRead, int wakeWrite, std::string path,
                     const PtyServerOptions& options)
    : master_(master),
      slave_(slave),
      wakeRead_(wakeRead),
      wakeWrite_(wakeWrite),
      slavePath_(std::move(path)),
      sim_(options.obd ? std::make_unique<AdapterSim>(*options.obd)
                       : std::make_unique<AdapterSim>(ElmOptions{options.announceInit, true})),
      replyDelayMs_(options.replyDelayMs < 0 ? 0 : options.replyDelayMs) {
  if (!options.obd) sim_->ecu().select(options.make, options.ecu);
}

#endif

PtyServer::~PtyServer() { stop(); }

#ifndef _WIN32
void PtyServer::wake() {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);  // full pipe: already awake
}

void PtyServer::stop() {
  if (!stopping_.exchange(true) && thread_.joinable()) {
    wake();
    thread_.join();
  }
  std::lock_guard lock(mutex_);
  CloseFd(master_);
  CloseFd(slave_);
  CloseFd(wakeRead_);
  CloseFd(wakeWrite_);
}

#endif

void PtyServer::select(int make, int ecu) {
  std::lock_guard lock(mutex_);
  sim_->ecu().select(make, ecu);
}

void PtyServer::setSilent(bool silent) {
  std::lock_guard lock(mutex_);
  sim_->ecu().setSilent(silent);
  if (ObdCar* car = sim_->obdCar()) {
    ObdCarOptions o = car->options();
    o.silent = silent;
    car->setOptions(o);
  }
}

void PtyServer::setReplyDelayMs(int ms) {
  std::lock_guard lock(mutex_);
  replyDelayMs_ = ms < 0 ? 0 : ms;
}

std::vector<EncodedReply> PtyServer::history() const {
  std::lock_guard lock(mutex_);
  const auto& h = sim_->ecu().history();
  return {h.begin(), h.end()};
}

std::vector<std::string> PtyServer::receivedLines() const {
  std::lock_guard lock(mutex_);
  return {received_.begin(), received_.end()};
}

std::vector<FaultEntry> PtyServer::faults() const {
  std::lock_guard lock(mutex_);
  return sim_->ecu().faults();
}

AdapterSim::Mode PtyServer::mode() const {
  std::lock_guard lock(mutex_);
  return sim_->mode();
}

#ifndef _WIN32
int PtyServer::nextDueMs(bool& wantWrite) const {
  wantWrite = false;
  std::lock_guard lock(mutex_);
  if (out_.empty()) return -1;
  const auto now = std::chrono::steady_clock::now();
  if (out_.front().due <= now) {
    wantWrite = true;
    return -1;
  }
  return static_cast<int>(
      std::chrono::ceil<std::chrono::milliseconds>(out_.front().due - now).count());
}

void PtyServer::run() {
  for (;;) {
    bool wantWrite = false;
    const int timeoutMs = nextDueMs(wantWrite);
    pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                     {wakeRead_, POLLIN, 0}};
    const int r = ::poll(fds, 2, timeoutMs);
    if (stopping_) return;
    if (r < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents & POLLIN) {
      char buf[4096];
      while (::read(wakeRead_, buf, sizeof buf) > 0) {
      }
    }
    if ((fds[0].revents & POLLIN) && !readFromScanner()) return;
    if (fds[0].revents & (POLLHUP | POLLERR)) {
      // Cannot happen while we hold the slave open; avoid spinning if it does.
      ::usleep(10000);
    }
    writeDue();
  }
}

bool PtyServer::readFromScanner() {
  char buf[4096];
  const ssize_t n = ::read(master_, buf, sizeof buf);
  if (n <= 0) return !(n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO);
  std::lock_guard lock(mutex_);
  noteReceived(buf, static_cast<size_t>(n));
  std::string now;
  std::vector<TimedText> later;
  if (sim_->feed(std::string_view(buf, static_cast<size_t>(n)), now, later)) {
    // A new session: whatever the old one left unread is stale.
    out_.clear();
    ::tcflush(slave_, TCIFLUSH);
  }
  queueReplies(std::move(now), later);
  return true;
}

void PtyServer::noteReceived(const char* bytes, size_t n) {
  // Keep a transcript of the lines received, for checks.
  for (size_t i = 0; i < n; ++i) {
    if (partialLine_.size() < AdapterSim::kMaxLine) partialLine_ += bytes[i];
    if (bytes[i] == '\r') {
      received_.push_back(std::move(partialLine_));
      partialLine_.clear();
      if (received_.size() > kReceivedLinesKept) received_.pop_front();
    }
  }
}

void PtyServer::queueReplies(std::string now, std::vector<TimedText>& later) {
  const auto t = std::chrono::steady_clock::now();
  // Without a delay the echo and the reply leave in one write, as from
  // an adapter that answers instantly.
  auto queue = [&](TimePoint due, std::string bytes) {
    if (bytes.empty()) return;
    if (!out_.empty() && out_.back().due >= due) {
      out_.back().bytes += bytes;
    } else {
      out_.push_back({due, std::move(bytes)});
    }
  };
  queue(t, std::move(now));
  for (TimedText& part : later)
    queue(t + std::chrono::milliseconds(replyDelayMs_ + part.atMs), std::move(part.text));
  size_t queued = 0;
  for (const auto& p : out_) queued += p.bytes.size();
  while (queued > kMaxQueuedBytes && out_.size() > 1) {
    queued -= out_.front().bytes.size();
    out_.pop_front();
  }
}

// Writes everything that is due.
void PtyServer::writeDue() {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  while (!out_.empty() && out_.front().due <= now) {
    std::string& bytes = out_.front().bytes;
    const ssize_t w = ::write(master_, bytes.data(), bytes.size());
    if (w < 0) break;  // EAGAIN: the scanner is not reading; try on POLLOUT
    bytes.erase(0, static_cast<size_t>(w));
    if (!bytes.empty()) break;
    out_.pop_front();
  }
}

#endif

}  // namespace kalvex::sim
