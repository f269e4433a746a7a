#include "link/link_factory.h"

#include "link/port_discovery.h"
#include "link/tcp_link.h"
#include "link/tcp_socket.h"

namespace kalvex {

bool IsNetworkPortText(const std::string& text) {
  if (text.rfind("tcp://", 0) == 0) return true;
  if (text.empty() || text[0] == '/' || text[0] == '\\' || text[0] == '.') return false;
  return net::ParseTcpAddress(text).has_value();
}

std::unique_ptr<SerialLink> OpenLink(const std::string& text, TVaDispatcher dispatch,
                                     const TVaBuffers& buffers) {
  if (IsNetworkPortText(text)) {
    auto link = std::make_unique<TcpLink>(std::move(dispatch), buffers);
    link->openDevice(text);
    return link;
  }
  auto port = std::make_unique<TVaComm>(std::move(dispatch));
  port->SetBuffers(buffers);
  port->openDevice(DevicePathForPortText(text));
  return port;
}

void PortLink::route(const std::string& text, SerialLink& link) {
  routes_.emplace_back(DevicePathForPortText(text), &link);
}

void PortLink::openDevice(const std::string& text) {
  if (isOpen()) throw EVaCommError(va_comm_messages::kPortOpen);
  if (link_ && link_ != opened_.get()) {
    // A routed link outlives this: it must not call back into a session
    // that has moved on.
    link_->setRxHandler({});
    link_->setErrorHandler({});
  }
  link_ = nullptr;
  opened_.reset();
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

void PortLink::setRxHandler(RxHandler handler) {
  rxHandler_ = handler;
  if (link_) link_->setRxHandler(std::move(handler));
}

void PortLink::setErrorHandler(ErrorHandler handler) {
  errorHandler_ = handler;
  if (link_) link_->setErrorHandler(std::move(handler));
}

}  // namespace kalvex
