// The seam between the session controller and an adapter driver. The
// controller owns time, timers, the port and the log; a driver turns bytes
// into lines and lines into ResponseBytes, and chooses what to write.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/first_request.h"
#include "protocol/clock.h"
#include "protocol/response.h"

namespace kalvex {

class SerialLink;

constexpr size_t kRxBufferSize = 1024;     // RxBuffer, ReadBuffer, ReplyLine
constexpr size_t kElmOverflowLimit = 800;  // RxPos at which held bytes are dropped

// The pause before each request write of the data phase: 200 ms unless the
// user asks for a faster (or slower) pace. K-line sessions never go below
// the bus's inter-request minimum, whatever was asked.
constexpr Millis kDefaultRequestPause = 200;
constexpr Millis kMinRequestPause = 20;
constexpr Millis kMaxRequestPause = 1000;
constexpr Millis kKLineMinRequestPause = 55;

// What the session and its driver share for the length of a session: the
// request to send next and the reply just accepted. Owned by the session,
// touched only on the user-interface thread.
struct RequestState {
  uint8_t adapterType = 0;                     // index in the adapter registry; copied at start
  uint8_t nextCommand = 0;                     // NextCommand
  std::string nextRequest = "81";              // NextRequest
  bool canSession = false;                     // CanSession
  uint8_t ecuAddress = 0;                      // EcuAddress
  uint16_t canId = 0;                          // CanId
  ResponseBytes response;                      // ResponseBytes
  bool responseAccepted = false;               // ResponseAccepted (per event)
  int rememberedFaultCount = 0;                // RememberedFaultCount
  Millis requestPause = kDefaultRequestPause;  // before each data-phase request write
};

// The pause before a request write on a K-line or a CAN session.
inline Millis RequestPauseFor(const RequestState& st, bool kLine) {
  return kLine && st.requestPause < kKLineMinRequestPause ? kKLineMinRequestPause : st.requestPause;
}

// The kinds of line a driver logs; the log file gives each its marker text.
enum class LogMarker : uint8_t {
  Adapter,    // a complete line as the adapter sent it
  Extracted,  // the reply the ELM327 driver extracted from it
};

// What every driver keeps and the session shows to tests and tools; a new
// driver (each start) begins with it empty. Anything else of an adapter's
// set-up is the driver's own.
struct AdapterState {
  int linkState = 0;                              // the set-up step, in the driver's own numbers
  std::array<uint8_t, kRxBufferSize> rxBuffer{};  // RxBuffer
  size_t rxPos = 0;                               // RxPos
};

// What the controller offers its driver.
class DriverServices {
 public:
  virtual ~DriverServices() = default;
  virtual RequestState& state() = 0;
  virtual SerialLink& port() = 0;
  virtual int makeIndex() const = 0;
  virtual int ecuTypeIndex() const = 0;

  // Writes `bytes` once more than `pauseMs` have passed (0: at once). Until
  // then the session handles nothing else from the adapter and timer ticks
  // wait; `after` runs right after the write.
  virtual void writeAfter(Millis pauseMs, std::vector<uint8_t> bytes,
                          std::function<void()> after = {}) = 0;
  // The same pause without a write (the pause after an incomplete line).
  virtual void pause(Millis pauseMs) = 0;

  virtual void setTimer2(bool on) = 0;
  // A complete reply line came from the adapter: whatever the ECU does, the
  // adapter is there and answering.
  virtual void lineReceived() = 0;
  virtual void setTimer3(bool on) = 0;

  // Session log: a line of the given kind, when logging is on.
  virtual void logLine(LogMarker marker, const std::string& text) = 0;
  // A failure shown through the error display at most once per session.
  virtual void showErrorOnce(const std::string& message) = 0;

  // Runs the accepted-response steps for state().response. False when the
  // event ended there (the session was closed) and nothing may be sent.
  virtual bool acceptResponse() = 0;

  // The first data request the make's table gives at `point` of the set-up;
  // the current NextCommand where the table leaves the request unchanged.
  virtual uint8_t firstRequestAt(FirstRequestPoint point) = 0;
  // A clear or fault read request the user asked for and no send step has
  // written yet. Consumed (and NextCommand set to it) by the data-phase send
  // step.
  virtual bool takePendingRequest() = 0;
};

class AdapterDriver {
 public:
  explicit AdapterDriver(DriverServices& services) : svc_(services) {}
  virtual ~AdapterDriver() = default;
  // Called after the port was opened: set-up and the first line.
  virtual void start() = 0;
  // VaComm1RxChar: `count` bytes announced by the port.
  virtual void receive(size_t count) = 0;
  virtual void startRetry() = 0;    // Timer2 tick
  virtual void requestRetry() = 0;  // Timer3 tick

  const AdapterState& state() const { return own_; }
  // Receive state as a stop leaves it.
  virtual void clearReceive() { own_.rxPos = 0; }

 protected:
  DriverServices& svc_;
  AdapterState own_;
};

}  // namespace kalvex
