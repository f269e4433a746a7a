// TVaCustomComm on a POSIX terminal: termios line settings, an event thread
// that poll()s the descriptor, a write thread that drains the write queue.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "link/posix/va_comm_posix_baud.h"
#include "link/system_errors.h"
#include "link/va_comm.h"
#include "link/va_comm_backend.h"

namespace kalvex {

namespace msg = va_comm_messages;

std::string va_comm_messages::CantOpenText(const std::string& path, int code) {
  std::string text = Fill(kCantOpen, {path, std::to_string(code), PlatformErrorText(code)});
#ifdef __linux__
  if (code == EACCES || code == EPERM) text += "\n" + PermissionHint(path);
#endif
  return text;
}

std::string va_comm_messages::PlatformErrorText(int code) {
  char buf[256] = {};
  // The GNU variant may return a static string instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  return ::strerror_r(code, buf, sizeof buf);
#else
  if (::strerror_r(code, buf, sizeof buf) != 0) return "Unknown error " + std::to_string(code);
  return buf;
#endif
}

namespace {

class WakePipe {
 public:
  // errno of pipe2, or 0.
  int Create() {
    if (::pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0) {
      fds_[0] = fds_[1] = -1;
      return errno;
    }
    return 0;
  }
  ~WakePipe() {
    for (int fd : fds_)
      if (fd >= 0) ::close(fd);
  }
  int ReadEnd() const { return fds_[0]; }
  void Wake() {
    const char c = 1;
    // A full pipe already wakes the reader.
    [[maybe_unused]] ssize_t n = ::write(fds_[1], &c, 1);
  }
  // One read: a wake is one byte, and a wake left over only means one more
  // look round the loop, never a missed one.
  void Drain() {
    char buf[256];
    [[maybe_unused]] ssize_t n = ::read(fds_[0], buf, sizeof buf);
  }

 private:
  int fds_[2] = {-1, -1};
};

bool IsGoneErrno(int e) { return e == EIO || e == ENXIO || e == ENODEV || e == EBADF; }

// A hung-up terminal fails every ioctl with EIO: that is the device going
// away, told the way a failed read tells it.
std::string QueueStatusFailure(int e) {
  return msg::WithCode(IsGoneErrno(e) ? msg::kReadError : msg::kStatistics, e);
}

bool StandardSpeed(int bps, speed_t* out) {
  static constexpr std::pair<int, speed_t> kSpeeds[] = {
      {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
      {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
      {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
  };
  for (const auto& [rate, speed] : kSpeeds) {
    if (rate == bps) {
      *out = speed;
      return true;
    }
  }
  return false;
}

void SetModemLine(int fd, int line, bool on, const char* failure) {
  // A pseudo-terminal has no modem lines: ENOTTY/EINVAL leave nothing to do.
  if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && errno != ENOTTY && errno != EINVAL)
    throw EVaCommError(msg::WithCode(failure, errno));
}

}  // namespace

// One open of the device: descriptor, threads, write queue. Owned by Core;
// destroying it stops and joins the threads, then lets the device go.
struct VaCommSession : va_comm_backend::SessionBase {
  int fd = -1;
  bool watchRx = true;  // ceRxChar in MonitorEvents

  WakePipe eventWake;
  WakePipe writeWake;
  std::thread eventThread;
  std::thread writeThread;
  // The last delivery found nothing waiting although the device was
  // readable: the event thread asks the queue itself next time.
  std::atomic<bool> emptyDelivery{false};

  ~VaCommSession() {
    stop = true;
    eventWake.Wake();
    writeWake.Wake();
    if (eventThread.joinable()) eventThread.join();
    if (writeThread.joinable()) writeThread.join();
    if (fd >= 0) {
      ::ioctl(fd, TIOCNXCL);  // or a later open fails while anyone else holds the terminal
      ::flock(fd, LOCK_UN);
      ::close(fd);
    }
  }

  // From the user-interface thread, which must wake the event thread to
  // watch again; the event thread itself passes wake = false.
  void SetRx(Rx state, bool wake = true) {
    {
      std::lock_guard lock(rxMutex);
      rx = state;
    }
    if (wake) eventWake.Wake();
  }
};

struct TVaCustomComm::Core : va_comm_backend::CoreBase<VaCommSession> {};

// The closures posted to the user-interface thread. They hold the core weakly
// and name the session by id, so one posted before a Close or a reopen, or
// after the port is gone, finds nothing to act on.
class VaCommPosting {
 public:
  using Core = TVaCustomComm::Core;

  static void PostFailure(const std::weak_ptr<Core>& weak, VaCommSession& s, std::string message) {
    if (s.failed.exchange(true)) return;
    s.eventWake.Wake();
    s.writeWake.Wake();
    s.writeRoom.notify_all();
    va_comm_backend::PostError(weak, s, std::move(message));
  }

  static void PostRx(const std::weak_ptr<Core>& weak, VaCommSession& s) {
    if (!s.dispatch) return;
    s.dispatch([weak, id = s.id] { DeliverRx(weak, id); });
  }

  static void DeliverRx(const std::weak_ptr<Core>& weak, uint64_t id) {
    auto core = weak.lock();  // keeps the core alive even if the handler destroys the port
    if (!core) return;
    VaCommSession* s = core->Current(id);
    if (!s || s->failed) return;
    int waiting = 0;
    if (::ioctl(s->fd, FIONREAD, &waiting) != 0) {
      PostFailure(weak, *s, QueueStatusFailure(errno));
      return;
    }
    if (waiting <= 0) s->emptyDelivery = true;
    va_comm_backend::Deliver(*core, id, *s, static_cast<size_t>(std::max(0, waiting)));
  }

  static void EventLoop(std::weak_ptr<Core> weak, VaCommSession* s) {
    bool backoff = false;
    for (;;) {
      VaCommSession::Rx rx;
      {
        std::lock_guard lock(s->rxMutex);
        rx = s->rx;
      }
      if (s->stop) return;
      // Armed: watch for input. Parked: only for the device going away (POLLHUP
      // and POLLERR are reported with no events asked). In flight: nothing,
      // the user-interface thread re-arms or parks when it is done.
      pollfd fds[2] = {{s->eventWake.ReadEnd(), POLLIN, 0}, {-1, 0, 0}};
      if (!s->failed) {
        if (rx == VaCommSession::Rx::Armed && !backoff && s->watchRx)
          fds[1] = {s->fd, POLLIN, 0};
        else if (rx != VaCommSession::Rx::InFlight)
          fds[1] = {s->fd, 0, 0};
      }
      const int ready = ::poll(fds, 2, backoff ? 20 : -1);
      if (ready < 0) {
        if (errno == EINTR) continue;
        PostFailure(weak, *s, msg::WithCode(msg::kReadError, errno));
        return;  // Close still joins; nothing is left to watch
      }
      backoff = false;
      if (fds[0].revents) s->eventWake.Drain();
      if (s->stop) return;
      const short revents = fds[1].revents;
      if (fds[1].fd < 0 || revents == 0) continue;
      const bool gone = (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
      if ((fds[1].events & POLLIN) && !gone && !s->emptyDelivery.exchange(false)) {
        // The user-interface thread asks how many bytes wait when it takes
        // them: one FIONREAD a reply, and no wake of this thread by itself.
        s->SetRx(VaCommSession::Rx::InFlight, false);
        PostRx(weak, *s);
      } else if (fds[1].events & POLLIN) {
        int waiting = 0;
        if (::ioctl(s->fd, FIONREAD, &waiting) != 0) {
          PostFailure(weak, *s, QueueStatusFailure(errno));
        } else if (waiting > 0) {
          // Bytes that arrived before a hang-up are still delivered first.
          s->SetRx(VaCommSession::Rx::InFlight, false);
          PostRx(weak, *s);
        } else if (gone) {
          PostFailure(weak, *s, msg::WithCode(msg::kReadError, EIO));
        } else {
          // Readable with nothing to read: look again shortly rather than spin.
          backoff = true;
        }
      } else if (gone) {
        PostFailure(weak, *s, msg::WithCode(msg::kReadError, EIO));
      }
    }
  }

  static void WriteLoop(std::weak_ptr<Core> weak, VaCommSession* s) {
    for (;;) {
      const bool stopping = s->stop;
      bool pending = false;
      {
        std::unique_lock lock(s->writeMutex);
        if (s->failed) {
          s->writeQueue.clear();
        } else if (!s->writeQueue.empty()) {
          // Non-blocking: the terminal takes what fits, the rest waits for POLLOUT.
          const ssize_t n = ::write(s->fd, s->writeQueue.data(), s->writeQueue.size());
          const int e = errno;
          if (n > 0) {
            s->writeQueue.erase(s->writeQueue.begin(), s->writeQueue.begin() + n);
          } else if (n < 0 && e != EAGAIN && e != EWOULDBLOCK && e != EINTR) {
            s->writeQueue.clear();
            lock.unlock();
            PostFailure(weak, *s, msg::WithCode(msg::kWriteError, e));
            lock.lock();
          }
          pending = !s->writeQueue.empty();
        }
      }
      s->writeRoom.notify_all();
      if (stopping) return;  // queued bytes had their last chance above
      pollfd fds[2] = {{s->writeWake.ReadEnd(), POLLIN, 0}, {-1, 0, 0}};
      if (pending && !s->failed) fds[1] = {s->fd, POLLOUT, 0};
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
        PostFailure(weak, *s, msg::WithCode(msg::kWriteError, errno));
        return;  // WriteBytes accepts nothing once the port has failed
      }
      if (fds[0].revents) s->writeWake.Drain();
      if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        PostFailure(weak, *s, msg::WithCode(msg::kWriteError, EIO));
      }
    }
  }
};

bool TVaCustomComm::BackendActive() const { return core_ && core_->session; }

void TVaCustomComm::BackendOpen(const std::string& path) {
  Core& core = va_comm_backend::Ensure(core_);

  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    if (e == ENOENT || e == ENODEV || e == ENXIO)
      throw EVaCommError(msg::Fill(msg::kNotFound, {path}));
    throw EVaCommError(msg::CantOpenText(path, e));
  }
  // TIOCEXCL keeps other programs out (root passes it); flock also stops
  // root and another Kalvex. It fails on a non-terminal, which the line
  // settings below report.
  ::ioctl(fd, TIOCEXCL);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int e = errno;
    if (e == EWOULDBLOCK) e = EBUSY;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    throw EVaCommError(
        msg::Fill(msg::kCantOpen, {path, std::to_string(e), msg::PlatformErrorText(e)}));
  }

  // From here on the session owns the descriptor: a throw lets it go again.
  auto s = std::make_unique<VaCommSession>();
  s->id = core.nextId++;
  s->fd = fd;
  s->dispatch = dispatch_;
  s->watchRx = monitorEvents_.Contains(ceRxChar);

  core.session = std::move(s);
  try {
    VaCommSession& open = *core.session;
    if (updateDcb_) BackendApplyLineSettings();
    SetModemLine(fd, TIOCM_DTR, flowControl_.ControlDtr == dtrEnabled, msg::kWritingDcb);
    SetModemLine(fd, TIOCM_RTS, flowControl_.ControlRts == rtsEnabled, msg::kWritingDcb);
    // The kernel's input queue has a fixed size; the write queue is ours.
    if (buffers_.ReadSize <= 0 || buffers_.WriteSize <= 0)
      throw EVaCommError(msg::WithCode(msg::kInitBuffers, EINVAL));
    open.writeCapacity = static_cast<size_t>(buffers_.WriteSize);
    open.writeQueue.reserve(open.writeCapacity);

    // Each thread comes with its wake-up; either failing fails the open
    // with `message`.
    std::weak_ptr<Core> weak = core_;
    auto startThread = [&](WakePipe& wake, std::thread& thread, auto loop, const char* message) {
      if (const int e = wake.Create()) throw EVaCommError(msg::WithCode(message, e));
      try {
        thread = std::thread(loop, weak, &open);
      } catch (const std::system_error& e) {
        throw EVaCommError(msg::WithCode(message, e.code().value()));
      }
    };
    if (!monitorEvents_.Empty())
      startThread(open.eventWake, open.eventThread, VaCommPosting::EventLoop, msg::kEventMask);
    if (!directWrite_)
      startThread(open.writeWake, open.writeThread, VaCommPosting::WriteLoop, msg::kInitBuffers);
  } catch (...) {
    core.session.reset();  // stops what was started and lets the device go
    throw;
  }
}

void TVaCustomComm::BackendClose() {
  if (!core_ || !core_->session) return;
  // Detach first, so the port reads as closed while its threads stop.
  std::unique_ptr<VaCommSession> s = std::move(core_->session);
  s.reset();
}

void TVaCustomComm::BackendApplyLineSettings() {
  const int fd = core_->session->fd;
  auto fail = [](int e) { throw EVaCommError(msg::WithCode(msg::kWritingDcb, e)); };

  termios t{};
  if (::tcgetattr(fd, &t) != 0) fail(errno);
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
  t.c_cflag &= ~CMSPAR;
#endif
  switch (databits_) {
    case db5:
      t.c_cflag |= CS5;
      break;
    case db6:
      t.c_cflag |= CS6;
      break;
    case db7:
      t.c_cflag |= CS7;
      break;
    case db8:
      t.c_cflag |= CS8;
      break;
    default:
      fail(EINVAL);  // no 4-bit bytes on a POSIX terminal
  }
  switch (parity_) {
    case paNone:
      break;
    case paOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case paEven:
      t.c_cflag |= PARENB;
      break;
#ifdef CMSPAR
    case paMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case paSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
#endif
    default:
      fail(EINVAL);
  }
  // 1.5 stop bits exist only with 5-bit bytes, where CSTOPB means exactly that.
  if (stopbits_ != sb1) t.c_cflag |= CSTOPB;
  if (flowControl_.OutCtsFlow || flowControl_.ControlRts == rtsHandshake) t.c_cflag |= CRTSCTS;
  if (flowControl_.XonXoffOut) t.c_iflag |= IXON;
  if (flowControl_.XonXoffIn) t.c_iflag |= IXOFF;
  // With parity checking on, a byte received in error reads as NUL.
  if (options_.Contains(coParityCheck)) t.c_iflag |= INPCK;
  t.c_cc[VSTART] = eventChars_.XonChar;
  t.c_cc[VSTOP] = eventChars_.XoffChar;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;

  const int bps = baudrate_ == brUser ? userBaudrate_ : BaudrateBitsPerSecond(baudrate_);
  if (bps <= 0) fail(EINVAL);
  speed_t speed = B38400;
  const bool standard = StandardSpeed(bps, &speed);
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) fail(errno);
  if (!standard) {
    if (const int e = posix_baud::SetArbitraryRate(fd, bps)) fail(e);
  }
}

size_t TVaCustomComm::BackendRead(void* dst, size_t count) {
  if (!BackendActive()) return 0;
  VaCommSession& s = *core_->session;
  if (s.failed) return 0;
  for (;;) {
    const ssize_t n = ::read(s.fd, dst, count);
    if (n > 0) {
      s.readInHandler += static_cast<size_t>(n);
      return static_cast<size_t>(n);
    }
    // A non-blocking raw terminal says "nothing yet" with EAGAIN; 0 is a hang-up.
    const int e = n == 0 ? EIO : errno;
    if (e == EINTR) continue;
    if (e == EAGAIN || e == EWOULDBLOCK) return 0;
    if (IsGoneErrno(e)) {
      // Reported once through the error handler, like a hang-up the event thread sees.
      VaCommPosting::PostFailure(core_, s, msg::WithCode(msg::kReadError, e));
      return 0;
    }
    throw EVaCommError(msg::WithCode(msg::kReadError, e));
  }
}

size_t TVaCustomComm::BackendWrite(const void* src, size_t count) {
  if (!BackendActive()) return 0;
  VaCommSession& s = *core_->session;
  if (s.failed) return 0;
  const auto* bytes = static_cast<const uint8_t*>(src);

  if (directWrite_) {
    // Bounded by ReadTimeout, as an overlapped write would be.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(std::max(0, buffers_.ReadTimeout));
    size_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(s.fd, bytes + done, count - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      const int e = errno;
      if (n < 0 && e == EINTR) continue;
      if (n < 0 && e != EAGAIN && e != EWOULDBLOCK)
        throw EVaCommError(msg::WithCode(msg::kWriteError, e));
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return done;
      pollfd p{s.fd, POLLOUT, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return done;
  }

  // Nothing queued: the terminal takes the line at once, without waking the
  // write thread (three system calls a request fewer). Only what it does
  // not take goes to the queue, behind which everything later waits.
  // A line longer than the whole queue is refused, wherever it would go.
  if (count > s.writeCapacity) throw EVaCommError(msg::kOutputFull);
  size_t done = 0;
  {
    std::lock_guard lock(s.writeMutex);
    if (s.writeQueue.empty()) {
      ssize_t n;
      do {
        n = ::write(s.fd, bytes, count);
      } while (n < 0 && errno == EINTR);
      if (n > 0) done = static_cast<size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        const int e = errno;
        VaCommPosting::PostFailure(core_, s, msg::WithCode(msg::kWriteError, e));
        return count;  // as for a queued line the write thread fails on
      }
    }
  }
  if (done == count) return count;
  if (!va_comm_backend::EnqueueWrite(s, bytes + done, count - done, buffers_.WriteTimeout))
    return done;
  s.writeWake.Wake();
  return count;
}

void TVaCustomComm::BackendSetDtr(bool on) {
  SetModemLine(core_->session->fd, TIOCM_DTR, on, msg::kCommFunction);
}

void TVaCustomComm::BackendSetRxHandler(RxHandler handler) {
  va_comm_backend::Ensure(core_).setRxHandler(std::move(handler));
}

void TVaCustomComm::BackendRequestRxNotify() {
  if (core_) core_->requestRxNotify();
}

void TVaCustomComm::BackendSetErrorHandler(ErrorHandler handler) {
  va_comm_backend::Ensure(core_).errorHandler = std::move(handler);
}

}  // namespace kalvex
