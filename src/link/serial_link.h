// The byte pipe the adapter drivers use. TVaComm implements it on a real
// serial port; tests implement it with a scripted fake adapter.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "link/system_errors.h"

namespace kalvex {

// Every failure of the serial layer; what() is the message the user sees.
class EVaCommError : public std::runtime_error {
 public:
  explicit EVaCommError(const std::string& message) : std::runtime_error(message) {}
};

// The owner of an open still under way gives it up after this long: a network
// link's own limit (5 s) plus a margin for its thread to say so itself. A
// name lookup that hangs is stopped only by this.
inline constexpr int kOpenLimitMs = 5200;

class SerialLink {
 public:
  virtual ~SerialLink() = default;

  // Opens the device at 38400 8N1, raw, no flow control, DTR and RTS off.
  // Throws EVaCommError with the user-facing message on failure.
  virtual void openDevice(const std::string& path) = 0;

  // The open, allowed to finish later: `done` runs once on the
  // user-interface thread with an empty text when the link is open, or with
  // the user-facing reason it is not. It may run before beginOpen returns
  // (this default opens at once). A link that connects over a network does
  // it on a thread of its own, so the window never waits on it.
  using OpenDone = std::function<void(const std::string& error)>;
  virtual void beginOpen(const std::string& path, OpenDone done) {
    std::string error;
    try {
      openDevice(path);
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "?";
    }
    done(error);
  }
  // Abandons an open begun with beginOpen that has not finished: its `done`
  // never runs, and whatever it still makes is closed and freed later.
  virtual void cancelOpen() {}
  // The same, because the owner's time limit for it (kOpenLimitMs) has
  // passed; returns the reason to show, never empty.
  virtual std::string expireOpen() {
    cancelOpen();
    return SystemReason(ETIMEDOUT);
  }
  // Idempotent; no notification arrives after it returns.
  virtual void closeDevice() = 0;
  virtual bool isOpen() const = 0;

  // Reads at most `capacity` bytes that are already waiting; never blocks
  // for long, never writes past dst + capacity. 0 when closed or nothing.
  virtual size_t readBytes(uint8_t* dst, size_t capacity) = 0;
  // Queues the bytes; returns `count`, or 0 when closed.
  virtual size_t writeBytes(const uint8_t* src, size_t count) = 0;
  // DTR line; a port without modem lines ignores it.
  virtual void setDtr(bool on) = 0;

  // Bytes-received notification, delivered on the user-interface thread with
  // the number of bytes waiting (>= 1). At most one is in flight. When the
  // handler returns without reading anything, no further notification
  // comes until requestRxNotify() is called; otherwise, if bytes are still
  // waiting, another notification follows.
  using RxHandler = std::function<void(size_t count)>;
  virtual void setRxHandler(RxHandler handler) = 0;
  virtual void requestRxNotify() = 0;

  // A failure noticed by the port's own threads (device gone, line error),
  // delivered once on the user-interface thread; the port stops notifying.
  using ErrorHandler = std::function<void(const std::string& message)>;
  virtual void setErrorHandler(ErrorHandler handler) = 0;
};

}  // namespace kalvex
