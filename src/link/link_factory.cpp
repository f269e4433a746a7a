#include "link/link_factory.h"

#include <string_view>

#include "link/port_discovery.h"
#include "link/tcp_link.h"
#include "link/tcp_socket.h"

namespace kalvex {

bool IsNetworkPortText(const std::string& text) {
  const std::string_view bare = std::string_view(text).substr(text.rfind("tcp://", 0) == 0 ? 6 : 0);
  if (bare.empty() || bare[0] == '/' || bare[0] == '\\' || bare[0] == '.') return false;
  return net::ParseTcpAddress(text).has_value();
}

std::unique_ptr<SerialLink> OpenLink(const std::string& text, TVaDispatcher dispatch,
                                     const TVaBuffers& buffers) {
  // A "tcp://" text that is no address still goes to the TCP link, whose
  // error names the address; a serial port of that name would not.
  if (text.rfind("tcp://", 0) == 0 || IsNetworkPortText(text)) {
    auto link = std::make_unique<TcpLink>(std::move(dispatch), buffers);
    link->openDevice(text);
    return link;
  }
  auto port = std::make_unique<TVaComm>(std::move(dispatch));
  port->SetBuffers(buffers);
  port->openDevice(DevicePathForPortText(text));
  return port;
}

PortLink::PortLink(TVaDispatcher dispatch, const TVaBuffers& buffers)
    : dispatch_(std::move(dispatch)), buffers_(buffers) {}

PortLink::~PortLink() = default;

void PortLink::cancelOpen() { connecting_.reset(); }

void PortLink::route(const std::string& text, SerialLink& link) {
  routes_.emplace_back(DevicePathForPortText(text), &link);
}

void PortLink::release() {
  if (link_ && link_ != opened_.get()) {
    // A routed link outlives this: it must not call back into a session
    // that has moved on.
    link_->setRxHandler({});
    link_->setErrorHandler({});
  }
  link_ = nullptr;
  opened_.reset();
}

void PortLink::openDevice(const std::string& text) {
  if (isOpen() || connecting_) throw EVaCommError(va_comm_messages::kPortOpen);
  release();
  const std::string device = DevicePathForPortText(text);
  for (const auto& [routed, link] : routes_)
    if (routed == device) link_ = link;
  if (link_) {
    link_->setRxHandler(rxHandler_);
    link_->setErrorHandler(errorHandler_);
    link_->openDevice(device);
    return;
  }
  opened_ = OpenLink(text, dispatch_, buffers_);
  link_ = opened_.get();
  link_->setRxHandler(rxHandler_);
  link_->setErrorHandler(errorHandler_);
}

void PortLink::beginOpen(const std::string& text, OpenDone done) {
  const std::string device = DevicePathForPortText(text);
  bool routed = false;
  for (const auto& route : routes_) routed = routed || route.first == device;
  if (routed || !dispatch_ || !IsNetworkPortText(text) || isOpen() || connecting_) {
    SerialLink::beginOpen(text, std::move(done));
    return;
  }
  release();
  try {
    connecting_ = std::make_unique<TcpConnectAttempt>(
        text, dispatch_, [this, text, done](net::Socket sock, const std::string& error) {
          connecting_.reset();
          if (!sock.Valid()) {
            done(error);
            return;
          }
          std::string failed;
          try {
            auto link = std::make_unique<TcpLink>(dispatch_, buffers_);
            link->openConnected(std::move(sock), net::ParseTcpAddress(text)->Text());
            opened_ = std::move(link);
            link_ = opened_.get();
            link_->setRxHandler(rxHandler_);
            link_->setErrorHandler(errorHandler_);
          } catch (const std::exception& e) {
            failed = e.what();
          }
          done(failed);
        });
  } catch (const std::exception& e) {
    done(e.what());
  }
}

std::string PortLink::expireOpen() {
  if (!connecting_) return SerialLink::expireOpen();
  std::string text = connecting_->timedOutText();
  cancelOpen();
  return text;
}

void PortLink::setRxHandler(RxHandler handler) {
  rxHandler_ = handler;
  if (link_) link_->setRxHandler(std::move(handler));
}

void PortLink::setErrorHandler(ErrorHandler handler) {
  errorHandler_ = handler;
  if (link_) link_->setErrorHandler(std::move(handler));
}

}  // namespace kalvex
