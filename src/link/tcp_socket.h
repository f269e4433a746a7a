// The few socket calls the TCP link and the simulator's TCP front need, the
// same on POSIX sockets and Winsock. Every socket made here is non-blocking
// and closes on exec.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <poll.h>
#endif

namespace kalvex::net {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline constexpr SocketHandle kNoSocket = INVALID_SOCKET;
using PollFd = WSAPOLLFD;
#else
using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;
using PollFd = pollfd;
#endif

struct TcpAddress {
  std::string host;  // a name or a numeric address, IPv6 without brackets
  uint16_t port = 0;
  // "HOST:PORT", an IPv6 host in brackets.
  std::string Text() const;
};

// "tcp://HOST:PORT" or "HOST:PORT" (IPv6 as "[::1]:35000"); port 0 only
// when `allowPortZero` (a listener asking for any free port).
std::optional<TcpAddress> ParseTcpAddress(const std::string& text, bool allowPortZero = false);
// 127.0.0.0/8 or ::1, written numerically.
bool IsLoopbackHost(const std::string& host);

// Owns one socket; closes it when destroyed.
class Socket {
 public:
  Socket() = default;
  explicit Socket(SocketHandle h) : h_(h) {}
  ~Socket() { Close(); }
  Socket(Socket&& o) noexcept : h_(o.h_) { o.h_ = kNoSocket; }
  Socket& operator=(Socket&& o) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  SocketHandle Handle() const { return h_; }
  bool Valid() const { return h_ != kNoSocket; }
  void Close();

 private:
  SocketHandle h_ = kNoSocket;
};

// The error of the last failed socket call (errno, WSAGetLastError()).
int LastError();
bool WouldBlock(int code);
// The system's text for a socket error code.
std::string ErrorText(int code);
// The system's code for a connection that timed out.
int TimedOutCode();

// Connects within `timeoutMs`, trying each address the host resolves to;
// TCP_NODELAY is set, since every request is a few bytes waiting for its
// answer. On failure the socket is invalid and `error` holds the system's text.
Socket Connect(const TcpAddress& address, int timeoutMs, std::string& error);
// The same, finished by `until`: the name lookup counts against it (a lookup
// still running then cannot be stopped, but its answer comes too late).
Socket Connect(const TcpAddress& address, std::chrono::steady_clock::time_point until,
               std::string& error);
// A listening socket, on a loopback address only; `boundPort` tells the port
// it got (the one asked for, or a free one for port 0).
Socket ListenLoopback(const TcpAddress& address, std::string& error, uint16_t* boundPort);
// One waiting connection (non-blocking, TCP_NODELAY), or an invalid socket.
Socket Accept(SocketHandle listener);

// A connected pair of sockets: a write to `second` wakes a poll on `first`.
bool MakeWakePair(Socket& first, Socket& second);
void WakeWrite(SocketHandle s);
void WakeDrain(SocketHandle s);

// poll() or WSAPoll(); -1 with LastError() on failure.
int Poll(PollFd* fds, size_t count, int timeoutMs);
// send() and recv() that raise no signal: bytes moved, or -1 with LastError().
long Send(SocketHandle s, const void* bytes, size_t count);
long Recv(SocketHandle s, void* bytes, size_t capacity);

}  // namespace kalvex::net
