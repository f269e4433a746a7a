#include "link/va_comm.h"

#include <utility>

namespace kalvex {

int BaudrateBitsPerSecond(TVaBaudrate rate) {
  // In the order of TVaBaudrate; brUser has no fixed rate.
  static constexpr int kRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                   14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  const auto i = static_cast<size_t>(rate);
  return i < std::size(kRates) ? kRates[i] : 0;
}

namespace va_comm_messages {

std::string Fill(const char* pattern, std::initializer_list<std::string> args) {
  std::string out;
  auto next = args.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && (p[1] == 'd' || p[1] == 's') && next != args.end()) {
      out += *next++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string WithCode(const char* pattern, int code) {
  return Fill(pattern, {std::to_string(code), PlatformErrorText(code)});
}

}  // namespace va_comm_messages

std::string FormatDeviceName(const std::string& name, int portNum) {
  const std::string number = std::to_string(portNum);
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 2, "%d") == 0) {
      out += number;
      ++i;
    } else {
      out += name[i];
    }
  }
  return out;
}

TVaCustomComm::TVaCustomComm(TVaDispatcher dispatch) : dispatch_(std::move(dispatch)) {}

TVaCustomComm::~TVaCustomComm() { Close(); }

void TVaCustomComm::SetDispatcher(TVaDispatcher dispatch) {
  RequireClosed();
  dispatch_ = std::move(dispatch);
}

void TVaCustomComm::RequireClosed() const {
  if (Active()) throw EVaCommError(va_comm_messages::kPortOpen);
}

void TVaCustomComm::Open() {
  RequireClosed();
  BackendOpen(DevicePath());
}

void TVaCustomComm::Close() { BackendClose(); }

bool TVaCustomComm::Active() const { return BackendActive(); }

size_t TVaCustomComm::ReadBytes(void* dst, size_t count) {
  if (dst == nullptr || count == 0) return 0;
  return BackendRead(dst, count);
}

size_t TVaCustomComm::WriteBytes(const void* src, size_t count) {
  if (src == nullptr || count == 0) return 0;
  return BackendWrite(src, count);
}

void TVaCustomComm::SetDtr(bool on) {
  if (flowControl_.ControlDtr == dtrHandshake) throw EVaCommError(va_comm_messages::kDtrHandshake);
  if (Active()) BackendSetDtr(on);
}

std::string TVaCustomComm::DevicePath() const { return FormatDeviceName(deviceName_, portNum_); }

void TVaCustomComm::openDevice(const std::string& path) {
  SetDeviceName(path);
  SetBaudrate(br38400);
  SetParity(paNone);
  SetDatabits(db8);
  SetStopbits(sb1);
  SetOptions({});
  SetFlowControl({});
  Open();
}

void TVaCustomComm::setRxHandler(RxHandler handler) { BackendSetRxHandler(std::move(handler)); }
void TVaCustomComm::requestRxNotify() { BackendRequestRxNotify(); }
void TVaCustomComm::setErrorHandler(ErrorHandler handler) {
  BackendSetErrorHandler(std::move(handler));
}

void TVaCustomComm::ApplyLineSettingsIfOpen() {
  if (Active() && updateDcb_) BackendApplyLineSettings();
}

void TVaCustomComm::SetDeviceName(const std::string& name) { SetClosed(deviceName_, name); }
void TVaCustomComm::SetPortNum(int num) { SetClosed(portNum_, num); }
void TVaCustomComm::SetBuffers(const TVaBuffers& buffers) { SetClosed(buffers_, buffers); }
void TVaCustomComm::SetMonitorEvents(TVaCommEvents events) { SetClosed(monitorEvents_, events); }
void TVaCustomComm::SetDirectWrite(bool on) { SetClosed(directWrite_, on); }
void TVaCustomComm::SetUpdateDCB(bool on) { SetClosed(updateDcb_, on); }

void TVaCustomComm::SetBaudrate(TVaBaudrate rate) {
  baudrate_ = rate;
  if (rate != brUser) userBaudrate_ = 0;
  ApplyLineSettingsIfOpen();
}

void TVaCustomComm::SetUserBaudrate(int bitsPerSecond) {
  if (bitsPerSecond == userBaudrate_) return;
  userBaudrate_ = bitsPerSecond;
  baudrate_ = brUser;
  ApplyLineSettingsIfOpen();
}

void TVaCustomComm::SetParity(TVaParity parity) { SetLine(parity_, parity); }
void TVaCustomComm::SetDatabits(TVaDatabits bits) { SetLine(databits_, bits); }
void TVaCustomComm::SetStopbits(TVaStopbits bits) { SetLine(stopbits_, bits); }
void TVaCustomComm::SetOptions(TVaCommOptions options) { SetLine(options_, options); }
void TVaCustomComm::SetFlowControl(const TVaFlowControl& flow) { SetLine(flowControl_, flow); }
void TVaCustomComm::SetEventChars(const TVaEventChars& chars) { SetLine(eventChars_, chars); }

}  // namespace kalvex
