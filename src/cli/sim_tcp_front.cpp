#include "cli/sim_tcp_front.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kalvex::cli {

namespace {

// Bytes nobody takes are dropped beyond this, newest kept last.
constexpr size_t kMaxBuffered = 64 * 1024;

void Append(std::string& buffer, const char* bytes, size_t n) {
  buffer.append(bytes, n);
  if (buffer.size() > kMaxBuffered) buffer.erase(0, buffer.size() - kMaxBuffered);
}

}  // namespace

std::unique_ptr<SimTcpFront> SimTcpFront::Start(const std::string& slavePath,
                                                const net::TcpAddress& at, std::string& error) {
  std::unique_ptr<SimTcpFront> front(new SimTcpFront);
  uint16_t port = 0;
  front->listener_ = net::ListenLoopback(at, error, &port);
  if (!front->listener_.Valid()) return nullptr;
  front->address_ = {at.host, port};
  if (!net::MakeWakePair(front->wakeRead_, front->wakeWrite_)) {
    error = std::string("cannot create a socket pair: ") + std::strerror(errno);
    return nullptr;
  }
  front->slave_ = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (front->slave_ < 0) {
    error = "cannot open " + slavePath + ": " + std::strerror(errno);
    return nullptr;
  }
  front->thread_ = std::thread([f = front.get()] { f->run(); });
  return front;
}

SimTcpFront::~SimTcpFront() { stop(); }

void SimTcpFront::stop() {
  if (!stopping_.exchange(true) && thread_.joinable()) {
    net::WakeWrite(wakeWrite_.Handle());
    thread_.join();
  }
  client_.Close();
  listener_.Close();
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

void SimTcpFront::run() {
  std::string toSlave, toClient;
  char buf[4096];
  for (;;) {
    pollfd fds[4] = {{wakeRead_.Handle(), POLLIN, 0},
                     {listener_.Handle(), POLLIN, 0},
                     {slave_, static_cast<short>(POLLIN | (toSlave.empty() ? 0 : POLLOUT)), 0},
                     {client_.Handle(), 0, 0}};
    nfds_t n = 3;
    if (client_.Valid()) {
      fds[3].events = static_cast<short>(POLLIN | (toClient.empty() ? 0 : POLLOUT));
      n = 4;
    }
    if (::poll(fds, n, -1) < 0 && errno != EINTR) return;
    if (stopping_) return;
    if (fds[0].revents) net::WakeDrain(wakeRead_.Handle());
    if (fds[1].revents & POLLIN) {
      net::Socket s = net::Accept(listener_.Handle());
      if (s.Valid() && !client_.Valid()) {
        client_ = std::move(s);
        // Whatever the last scanner left unread is not this one's.
        while (::read(slave_, buf, sizeof buf) > 0) {
        }
        toSlave.clear();
        toClient.clear();
      }  // else: busy, the extra connection is closed by going out of scope
    }
    if (fds[2].revents & POLLIN) {
      const ssize_t r = ::read(slave_, buf, sizeof buf);
      if (r > 0 && client_.Valid()) Append(toClient, buf, static_cast<size_t>(r));
    }
    if (n == 4 && (fds[3].revents & (POLLIN | POLLHUP | POLLERR))) {
      const long r = net::Recv(client_.Handle(), buf, sizeof buf);
      if (r > 0) {
        Append(toSlave, buf, static_cast<size_t>(r));
      } else if (r == 0 || !net::WouldBlock(net::LastError())) {
        client_.Close();
        toClient.clear();
        toSlave.clear();
      }
    }
    if (!toSlave.empty()) {
      const ssize_t w = ::write(slave_, toSlave.data(), toSlave.size());
      if (w > 0) toSlave.erase(0, static_cast<size_t>(w));
    }
    if (client_.Valid() && !toClient.empty()) {
      const long w = net::Send(client_.Handle(), toClient.data(), toClient.size());
      if (w > 0) {
        toClient.erase(0, static_cast<size_t>(w));
      } else if (w < 0 && !net::WouldBlock(net::LastError())) {
        client_.Close();
        toClient.clear();
        toSlave.clear();
      }
    }
  }
}

}  // namespace kalvex::cli

#endif
