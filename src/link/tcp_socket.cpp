#include "link/tcp_socket.h"

#include <chrono>
#include <cstring>
#include <mutex>

#include "link/va_comm.h"
#include "protocol/text.h"

#ifdef _WIN32
#include <mswsock.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kalvex::net {

namespace {

bool AllDigits(const std::string& s) {
  if (s.empty() || s.size() > 5) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

#ifdef _WIN32
// Winsock is started once for the whole run and never stopped: sockets may
// still be closing in other threads when static objects go.
bool StartWinsock() {
  static const bool ok = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ok;
}

void CloseHandle(SocketHandle s) { ::closesocket(s); }

bool MakeNonBlocking(SocketHandle s) {
  u_long on = 1;
  return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

SocketHandle NewSocket(int family, int type) {
  if (!StartWinsock()) return kNoSocket;
  const SocketHandle s = ::WSASocketW(family, type, 0, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s != kNoSocket && !MakeNonBlocking(s)) {
    ::closesocket(s);
    return kNoSocket;
  }
  return s;
}

constexpr int kInProgress = WSAEWOULDBLOCK;
#else
void CloseHandle(SocketHandle s) { ::close(s); }

SocketHandle NewSocket(int family, int type) {
  return ::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

constexpr int kInProgress = EINPROGRESS;
#endif

void SetNoDelay(SocketHandle s) {
  int on = 1;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

std::string ResolveErrorText(int code) {
#ifdef _WIN32
  return ErrorText(code);
#else
  return code == EAI_SYSTEM ? ErrorText(errno) : ::gai_strerror(code);
#endif
}

// Waits until a non-blocking connect has finished; 0 or the error code.
int FinishConnect(SocketHandle s, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return TimedOutCode();
#ifdef _WIN32
    // select, not WSAPoll: older WSAPoll never reports a refused connect.
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval tv{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    const int r = ::select(0, nullptr, &writable, &failed, &tv);
    if (r < 0) return LastError();
    if (r == 0) continue;
#else
    pollfd p{s, POLLOUT, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) continue;
#endif
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0)
      return LastError();
    return error;
  }
}

}  // namespace

std::string TcpAddress::Text() const {
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<TcpAddress> ParseTcpAddress(const std::string& text, bool allowPortZero) {
  std::string rest = text;
  if (rest.rfind("tcp://", 0) == 0) rest.erase(0, 6);
  const size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string host = rest.substr(0, colon);
  const std::string port = rest.substr(colon + 1);
  if (!AllDigits(port)) return std::nullopt;
  const long number = ParseDecimal(port).value_or(-1);
  if (number > 65535 || (number == 0 && !allowPortZero)) return std::nullopt;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return std::nullopt;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return std::nullopt;  // an IPv6 address needs its brackets
  }
  for (unsigned char c : host)
    if (c <= ' ' || c == '/' || c == '\\' || c == '[' || c == ']' || c >= 0x7F) return std::nullopt;
  return TcpAddress{host, static_cast<uint16_t>(number)};
}

bool IsLoopbackHost(const std::string& host) {
  in_addr v4{};
  if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    static const in6_addr kLoopback = IN6ADDR_LOOPBACK_INIT;
    return std::memcmp(&v6, &kLoopback, sizeof v6) == 0;
  }
  return false;
}

Socket& Socket::operator=(Socket&& o) noexcept {
  if (this != &o) {
    Close();
    h_ = o.h_;
    o.h_ = kNoSocket;
  }
  return *this;
}

void Socket::Close() {
  if (h_ != kNoSocket) CloseHandle(h_);
  h_ = kNoSocket;
}

#ifdef _WIN32
int LastError() { return ::WSAGetLastError(); }
bool WouldBlock(int code) { return code == WSAEWOULDBLOCK || code == WSAEINTR; }
int TimedOutCode() { return WSAETIMEDOUT; }
#else
int LastError() { return errno; }
bool WouldBlock(int code) { return code == EAGAIN || code == EWOULDBLOCK || code == EINTR; }
int TimedOutCode() { return ETIMEDOUT; }
#endif

std::string ErrorText(int code) { return va_comm_messages::PlatformErrorText(code); }

Socket Connect(const TcpAddress& address, int timeoutMs, std::string& error) {
  return Connect(address, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs),
                 error);
}

Socket Connect(const TcpAddress& address, std::chrono::steady_clock::time_point until,
               std::string& error) {
#ifdef _WIN32
  if (!StartWinsock()) {
    error = ErrorText(LastError());
    return {};
  }
#endif
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (const int r = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found); r != 0) {
    error = ResolveErrorText(r);
    return {};
  }
  int code = TimedOutCode();
  for (addrinfo* a = found; a; a = a->ai_next) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    Socket s(NewSocket(a->ai_family, a->ai_socktype));
    if (!s.Valid()) {
      code = LastError();
      continue;
    }
    if (::connect(s.Handle(), a->ai_addr, static_cast<socklen_t>(a->ai_addrlen)) == 0) {
      code = 0;
    } else {
      code = LastError();
      if (code == kInProgress) code = FinishConnect(s.Handle(), static_cast<int>(left));
    }
    if (code == 0) {
      ::freeaddrinfo(found);
      SetNoDelay(s.Handle());
      return s;
    }
  }
  ::freeaddrinfo(found);
  error = ErrorText(code);
  return {};
}

Socket ListenLoopback(const TcpAddress& address, std::string& error, uint16_t* boundPort) {
  if (!IsLoopbackHost(address.host)) {
    error = "only a loopback address (127.0.0.1 or ::1) may be served: " + address.host;
    return {};
  }
  sockaddr_storage storage{};
  socklen_t len = 0;
  const bool v6 = address.host.find(':') != std::string::npos;
  if (v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(address.port);
    ::inet_pton(AF_INET6, address.host.c_str(), &a->sin6_addr);
    len = sizeof *a;
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&storage);
    a->sin_family = AF_INET;
    a->sin_port = htons(address.port);
    ::inet_pton(AF_INET, address.host.c_str(), &a->sin_addr);
    len = sizeof *a;
  }
  Socket s(NewSocket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM));
  if (!s.Valid()) {
    error = ErrorText(LastError());
    return {};
  }
#ifndef _WIN32
  // A simulator started again on its port must not wait for the old
  // connections' TIME_WAIT (Winsock's SO_REUSEADDR means something else).
  int on = 1;
  ::setsockopt(s.Handle(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
  if (::bind(s.Handle(), reinterpret_cast<sockaddr*>(&storage), len) != 0 ||
      ::listen(s.Handle(), 4) != 0) {
    error = ErrorText(LastError());
    return {};
  }
  if (boundPort) {
    sockaddr_storage bound{};
    socklen_t boundLen = sizeof bound;
    ::getsockname(s.Handle(), reinterpret_cast<sockaddr*>(&bound), &boundLen);
    *boundPort =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                          : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  }
  return s;
}

Socket Accept(SocketHandle listener) {
#ifdef _WIN32
  Socket s(::accept(listener, nullptr, nullptr));
  if (s.Valid() && !MakeNonBlocking(s.Handle())) return {};
#else
  Socket s(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
#endif
  if (s.Valid()) SetNoDelay(s.Handle());
  return s;
}

bool MakeWakePair(Socket& first, Socket& second) {
#ifdef _WIN32
  // No socketpair on Windows: a connection to ourselves over loopback.
  uint16_t port = 0;
  std::string error;
  Socket listener = ListenLoopback({"127.0.0.1", 0}, error, &port);
  if (!listener.Valid()) return false;
  second = Connect({"127.0.0.1", port}, 5000, error);
  if (!second.Valid()) return false;
  for (int i = 0; i < 500 && !first.Valid(); ++i) {
    first = Accept(listener.Handle());
    if (!first.Valid()) ::Sleep(1);
  }
  return first.Valid();
#else
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) return false;
  first = Socket(fds[0]);
  second = Socket(fds[1]);
  return true;
#endif
}

void WakeWrite(SocketHandle s) {
  const char c = 1;
  // A full buffer already wakes the reader.
  [[maybe_unused]] const long n = Send(s, &c, 1);
}

void WakeDrain(SocketHandle s) {
  char buf[64];
  while (Recv(s, buf, sizeof buf) > 0) {
  }
}

int Poll(PollFd* fds, size_t count, int timeoutMs) {
#ifdef _WIN32
  return ::WSAPoll(fds, static_cast<ULONG>(count), timeoutMs);
#else
  return ::poll(fds, static_cast<nfds_t>(count), timeoutMs);
#endif
}

long Send(SocketHandle s, const void* bytes, size_t count) {
#ifdef _WIN32
  return ::send(s, static_cast<const char*>(bytes), static_cast<int>(count), 0);
#else
  return ::send(s, bytes, count, MSG_NOSIGNAL);
#endif
}

long Recv(SocketHandle s, void* bytes, size_t capacity) {
#ifdef _WIN32
  return ::recv(s, static_cast<char*>(bytes), static_cast<int>(capacity), 0);
#else
  return ::recv(s, bytes, capacity, 0);
#endif
}

}  // namespace kalvex::net
