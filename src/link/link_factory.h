// Which link a port text opens: a network address ("tcp://HOST:PORT", or
// HOST:PORT that is not a device path) opens a TcpLink, anything else the
// serial port TVaComm. The window, kalvex-cli and the tests all go through
// OpenLink, so a port text means the same everywhere.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_link.h"
#include "link/va_comm.h"

namespace kalvex {

class TcpConnectAttempt;

// A valid "tcp://HOST:PORT" or HOST:PORT that names no device ("/dev/...",
// "COM3", "\\.\COM3" never do): the same check with or without "tcp://",
// so what the Wi-Fi dialog accepts is what the TCP link can open.
bool IsNetworkPortText(const std::string& text);

// A new link for `text`, opened: a TcpLink, or a TVaComm with `buffers` at
// 38400 8N1 on DevicePathForPortText(text). Throws EVaCommError with the
// user-facing message when it does not open.
std::unique_ptr<SerialLink> OpenLink(const std::string& text, TVaDispatcher dispatch,
                                     const TVaBuffers& buffers = {});

// The link a session holds for the whole run: every openDevice makes a new
// link with OpenLink for the text it is given, or takes the in-process link
// routed to that text (the Windows demo's simulated adapter); the handlers
// stay set across them.
class PortLink final : public SerialLink {
 public:
  explicit PortLink(TVaDispatcher dispatch, const TVaBuffers& buffers = {});
  ~PortLink() override;

  // Opens of `text` (as DevicePathForPortText gives it) use `link` instead
  // of a device. `link` must outlive this.
  void route(const std::string& text, SerialLink& link);

  void openDevice(const std::string& text) override;
  // A network address is resolved and connected on a thread of its own
  // (TcpConnectAttempt) and `done` runs later; a serial port, or a routed
  // link, opens at once as openDevice does.
  void beginOpen(const std::string& text, OpenDone done) override;
  void cancelOpen() override;
  std::string expireOpen() override;
  bool opening() const { return connecting_ != nullptr; }
  void closeDevice() override {
    cancelOpen();
    if (link_) link_->closeDevice();
  }
  bool isOpen() const override { return link_ && link_->isOpen(); }
  size_t readBytes(uint8_t* dst, size_t capacity) override {
    return link_ ? link_->readBytes(dst, capacity) : 0;
  }
  size_t writeBytes(const uint8_t* src, size_t count) override {
    return link_ ? link_->writeBytes(src, count) : 0;
  }
  void setDtr(bool on) override {
    if (link_) link_->setDtr(on);
  }
  void setRxHandler(RxHandler handler) override;
  void requestRxNotify() override {
    if (link_) link_->requestRxNotify();
  }
  void setErrorHandler(ErrorHandler handler) override;

 private:
  TVaDispatcher dispatch_;
  TVaBuffers buffers_;
  std::unique_ptr<SerialLink> opened_;  // the link OpenLink made, if it is the one
  SerialLink* link_ = nullptr;          // opened_, a routed link, or none yet
  std::vector<std::pair<std::string, SerialLink*>> routes_;
  RxHandler rxHandler_;
  ErrorHandler errorHandler_;
  // Declared last: gone (and cancelled) before anything its `done` uses.
  std::unique_ptr<TcpConnectAttempt> connecting_;

  // Lets go of the link of the last open before another one.
  void release();
};

}  // namespace kalvex
