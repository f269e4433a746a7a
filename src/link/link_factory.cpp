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
