// The seam between the session controller and an adapter driver. The
// controller owns time, timers, the port and the log; a driver turns bytes
// into lines and lines into ResponseBytes, and chooses what to write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/clock.h"
#include "session/session_state.h"

namespace kalvex {

class SerialLink;

// What the controller offers its driver.
class DriverServices {
 public:
  virtual ~DriverServices() = default;
  virtual SessionState& state() = 0;
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
  virtual void setTimer3(bool on) = 0;

  // Session log: a marker (" --- ", " -E- ") and the text, when logging is on.
  virtual void logLine(const char* marker, const std::string& text) = 0;
  // A failure shown through the error display at most once per session.
  virtual void showErrorOnce(const std::string& message) = 0;

  // Runs the accepted-response steps for state().response. False when the
  // event ended there (the session was closed) and nothing may be sent.
  virtual bool acceptResponse() = 0;

  // First-request tables (Algorithm 6 for the ELM327, 7 for a Kesta-mini CAN
  // session); they return the current NextCommand when the table says
  // "unchanged".
  virtual uint8_t firstElmRequest() = 0;
  virtual uint8_t firstKestaCanRequest() = 0;
  // A clear request the user asked for and no send step has written yet.
  // Consumed (and NextCommand set to it) by the data-phase send step.
  virtual bool takePendingClear() = 0;
};

class AdapterDriver {
 public:
  virtual ~AdapterDriver() = default;
  // Called after the port was opened: set-up and the first line.
  virtual void start() = 0;
  // VaComm1RxChar: `count` bytes announced by the port.
  virtual void receive(size_t count) = 0;
  virtual void startRetry() = 0;    // Timer2 tick
  virtual void requestRetry() = 0;  // Timer3 tick
};

}  // namespace kalvex
