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

void PortLink::openDevice(const std::string& text) {
  if (isOpen()) throw EVaCommError(va_comm_messages::kPortOpen);
  link_.reset();
  link_ = OpenLink(text, dispatch_, buffers_);
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
