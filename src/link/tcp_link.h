// A byte link to an adapter over TCP (the Wi-Fi ELM327 adapters): the same
// SerialLink the drivers use on a serial port, with the same notification
// rule. A peer that closes or resets the connection is a port gone away: the
// error handler hears it once, as from an unplugged adapter.
//
// Threads: every public call and handler belongs to the user-interface
// thread; while open, one I/O thread reads into a bounded receive queue,
// drains the write queue, and posts the notifications through the
// dispatcher. Close stops and joins it.
#pragma once

#include <memory>
#include <string>

#include "link/serial_link.h"
#include "link/tcp_socket.h"
#include "link/va_comm.h"
#include "protocol/translate.h"

namespace kalvex {

class TcpLink final : public SerialLink {
 public:
  // Longest wait for a connection to be accepted.
  static constexpr int kConnectTimeoutMs = 5000;

  // `buffers`: ReadSize bounds the receive queue (the peer is held back by
  // TCP when it is full), WriteSize the write queue, WriteTimeout the wait
  // for room in it.
  explicit TcpLink(TVaDispatcher dispatch = {}, const TVaBuffers& buffers = {});
  ~TcpLink() override;
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  // `text`: "tcp://HOST:PORT" or "HOST:PORT". Throws EVaCommError
  // "Не удалось подключиться к HOST:PORT: ..." with the system's reason.
  void openDevice(const std::string& text) override;
  // Opens on a connection made elsewhere (TcpConnectAttempt); `address` is
  // "HOST:PORT" for the messages. Throws EVaCommError like openDevice.
  void openConnected(net::Socket sock, const std::string& address);
  void closeDevice() override;
  bool isOpen() const override;
  size_t readBytes(uint8_t* dst, size_t capacity) override;
  size_t writeBytes(const uint8_t* src, size_t count) override;
  void setDtr(bool) override {}  // no modem lines on a network link
  void setRxHandler(RxHandler handler) override;
  void requestRxNotify() override;
  void setErrorHandler(ErrorHandler handler) override;

  struct Core;

 private:
  std::shared_ptr<Core> core_;
  TVaDispatcher dispatch_;
  TVaBuffers buffers_;
};

// A connect to a Wi-Fi adapter made on a thread of its own, so the
// user-interface thread never waits for the name lookup or the connect.
// Within TcpLink::kConnectTimeoutMs of the start (the lookup included) the
// thread hands the connected socket, or the reason it failed, to `done` on
// the user-interface thread through the dispatcher. A cancel (or the
// destructor) means `done` never runs; the thread, which may still be stuck
// in a name lookup the system does not let anyone stop, then closes and
// frees what it made when it gets out, and touches nothing else.
class TcpConnectAttempt {
 public:
  using Done = std::function<void(net::Socket sock, const std::string& error)>;
  // Throws EVaCommError for a text that is no address or a thread that
  // does not start. `dispatch` must not be empty.
  TcpConnectAttempt(const std::string& text, TVaDispatcher dispatch, Done done);
  ~TcpConnectAttempt() { cancel(); }
  TcpConnectAttempt(const TcpConnectAttempt&) = delete;
  TcpConnectAttempt& operator=(const TcpConnectAttempt&) = delete;

  void cancel();
  // "HOST:PORT".
  const std::string& address() const { return address_; }
  // The reason shown for a connect whose time ran out.
  std::string timedOutText() const;

  struct State;

 private:
  std::string address_;
  std::shared_ptr<State> state_;
};

// Translated as patterns where they are filled in.
namespace tcp_messages {
inline constexpr const char* kConnectFailed =
    QT_TRANSLATE_NOOP("kalvex", "Не удалось подключиться к %s: %s");
inline constexpr const char* kClosedByPeer =
    QT_TRANSLATE_NOOP("kalvex", "Адаптер %s закрыл соединение");
inline constexpr const char* kLost =
    QT_TRANSLATE_NOOP("kalvex", "Соединение с адаптером %s потеряно: %s");
inline constexpr const char* kBadAddress =
    QT_TRANSLATE_NOOP("kalvex", "Неверный адрес адаптера: %s (нужно ХОСТ:ПОРТ)");
}  // namespace tcp_messages

}  // namespace kalvex
