// The simulator reached over TCP, as a Wi-Fi adapter is: one scanner at a
// time connects to a loopback address and its bytes are relayed to and from
// the simulator's pseudo-terminal. A second connection while one is served
// is closed at once (the adapters serve one client). POSIX only.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "link/tcp_socket.h"

namespace kalvex::cli {

class SimTcpFront {
 public:
  // Listens on `at` (loopback only; port 0 picks a free one) and relays to
  // the terminal `slavePath`. Null with `error` filled when it cannot.
  static std::unique_ptr<SimTcpFront> Start(const std::string& slavePath, const net::TcpAddress& at,
                                            std::string& error);
  ~SimTcpFront();
  SimTcpFront(const SimTcpFront&) = delete;
  SimTcpFront& operator=(const SimTcpFront&) = delete;

  // The address listened on, with the port actually bound.
  const net::TcpAddress& address() const { return address_; }
  // Closes the listener and the connection; idempotent.
  void stop();

 private:
  SimTcpFront() = default;
  void run();

  net::TcpAddress address_;
  net::Socket listener_, client_, wakeRead_, wakeWrite_;
  int slave_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace kalvex::cli
