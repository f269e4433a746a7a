// The serial port object: TVaCustomComm holds all behaviour, TVaComm makes
// its settings public. One port talks to one adapter; the session and the
// adapter drivers use it through SerialLink and know nothing of its threads.
//
// Threads: every public call and every handler belongs to the user-interface
// thread. While open, the port runs an event thread (watches the device and
// asks the user-interface thread, through the injected dispatcher, to deliver
// the received-bytes notification) and, unless DirectWrite is set, a write
// thread that drains the write queue. Close stops and joins both; a
// notification or error that was already posted when Close (or a reopen)
// happened finds the port's generation changed and does nothing.
//
// Errors: every failing operation throws EVaCommError with the user-facing
// message. A failure the threads notice (device unplugged, the far end of a
// pseudo-terminal closed) goes once to the error handler, and the port stops
// notifying until it is closed and opened again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "link/serial_link.h"

namespace kalvex {

enum TVaBaudrate {
  brUser,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
// Bits per second of a table rate; 0 for brUser (the rate is UserBaudrate).
int BaudrateBitsPerSecond(TVaBaudrate rate);

enum TVaParity { paNone, paOdd, paEven, paMark, paSpace };
enum TVaDatabits { db4, db5, db6, db7, db8 };
enum TVaStopbits { sb1, sb15, sb2 };
enum TVaCommOption { coErrorChar, coNullStrip, coParityCheck };
enum TVaControlDtr { dtrDisabled, dtrEnabled, dtrHandshake };
enum TVaControlRts { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };
enum TVaCommEvent {
  ceBreak,
  ceCts,
  ceDsr,
  ceError,
  ceRing,
  ceRlsd,
  ceRxChar,
  ceTxEmpty,
  ceRxFlag,
  cePErr,
  ceRx80Full,
  ceEvent1,
  ceEvent2
};
enum TVaThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A small set of enum members (all the enums above have fewer than 32).
template <typename E>
class TVaSet {
 public:
  TVaSet() = default;
  TVaSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  void Include(E m) { bits_ |= Bit(m); }
  void Exclude(E m) { bits_ &= ~Bit(m); }
  bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  bool Empty() const { return bits_ == 0; }
  bool operator==(const TVaSet&) const = default;

 private:
  static uint32_t Bit(E m) { return uint32_t{1} << static_cast<unsigned>(m); }
  uint32_t bits_ = 0;
};
using TVaCommOptions = TVaSet<TVaCommOption>;
using TVaCommEvents = TVaSet<TVaCommEvent>;

struct TVaFlowControl {
  bool OutCtsFlow = false;
  bool OutDsrFlow = false;
  TVaControlDtr ControlDtr = dtrDisabled;
  TVaControlRts ControlRts = rtsDisabled;
  bool XonXoffOut = false;
  bool XonXoffIn = false;
  bool DsrSensitivity = false;
  bool TxContinueOnXoff = false;
  bool operator==(const TVaFlowControl&) const = default;
};

struct TVaEventChars {
  uint8_t XonChar = 17;
  uint8_t XoffChar = 19;
  uint8_t ErrorChar = 0;
  uint8_t EventChar = 0;
  uint8_t EofChar = 0;
  bool operator==(const TVaEventChars&) const = default;
};

// Sizes in bytes, timeouts in milliseconds. On POSIX the kernel's input queue
// has a fixed size, so ReadSize is only checked; WriteSize bounds the write
// queue; ReadTimeout bounds a DirectWrite; WriteTimeout is how long
// WriteBytes waits for room in a full write queue. Reads never wait: they
// take what is already there.
struct TVaBuffers {
  int ReadSize = 4096;
  int WriteSize = 2048;
  int ReadTimeout = 1000;
  int WriteTimeout = 1000;
  int XonLimit = 1024;
  int XoffLimit = 1024;
  bool operator==(const TVaBuffers&) const = default;
};

// Runs a closure on the user-interface thread, later, in posting order (the
// Qt shell posts with a queued invokeMethod, kalvex-cli with its own loop).
// It is called from both of the port's threads, so it must be thread-safe.
// Without one, nothing is delivered. An exception thrown by a handler leaves
// the port consistent and goes on out through the dispatcher's caller.
using TVaDispatcher = std::function<void(std::function<void()>)>;

class TVaCustomComm : public SerialLink {
 public:
  explicit TVaCustomComm(TVaDispatcher dispatch = {});
  ~TVaCustomComm() override;
  TVaCustomComm(const TVaCustomComm&) = delete;
  TVaCustomComm& operator=(const TVaCustomComm&) = delete;

  // Only while closed; the threads of an open port keep the one they started with.
  void SetDispatcher(TVaDispatcher dispatch);

  // Opens DeviceName (with "%d" replaced by PortNum), applies the line
  // settings and starts the threads. Throws when already open or on failure;
  // the port is closed after a failed Open.
  void Open();
  // Idempotent. Stops and joins the threads; bytes still queued for writing
  // get one last non-blocking attempt. Safe from inside a handler.
  void Close();
  bool Active() const;
  // Copies at most `count` bytes that are already waiting into dst; returns
  // at once with how many (0 when closed or nothing is there).
  size_t ReadBytes(void* dst, size_t count);
  // Copies the bytes into the write queue and returns `count` at once (0
  // when closed or the device is gone). Throws "Output buffer is full..."
  // when the queue has no room within WriteTimeout.
  size_t WriteBytes(const void* src, size_t count);
  void SetDtr(bool on);

  // The device path Open would use right now.
  std::string DevicePath() const;

  // SerialLink: DeviceName := path, 38400 8N1 raw, no flow control, Open.
  void openDevice(const std::string& path) override;
  void closeDevice() override { Close(); }
  bool isOpen() const override { return Active(); }
  size_t readBytes(uint8_t* dst, size_t capacity) override { return ReadBytes(dst, capacity); }
  size_t writeBytes(const uint8_t* src, size_t count) override { return WriteBytes(src, count); }
  void setDtr(bool on) override { SetDtr(on); }
  void setRxHandler(RxHandler handler) override;
  void requestRxNotify() override;
  void setErrorHandler(ErrorHandler handler) override;

 protected:
  const std::string& DeviceName() const { return deviceName_; }
  int PortNum() const { return portNum_; }
  TVaBaudrate Baudrate() const { return baudrate_; }
  int UserBaudrate() const { return userBaudrate_; }
  TVaParity Parity() const { return parity_; }
  TVaDatabits Databits() const { return databits_; }
  TVaStopbits Stopbits() const { return stopbits_; }
  TVaCommOptions Options() const { return options_; }
  const TVaFlowControl& FlowControl() const { return flowControl_; }
  const TVaEventChars& EventChars() const { return eventChars_; }
  const TVaBuffers& Buffers() const { return buffers_; }
  TVaCommEvents MonitorEvents() const { return monitorEvents_; }
  TVaThreadPriority EventPriority() const { return eventPriority_; }
  TVaThreadPriority WritePriority() const { return writePriority_; }
  bool DirectWrite() const { return directWrite_; }
  bool UpdateDCB() const { return updateDcb_; }

  // Need a closed port: throw "Can't perform this operation while port is open".
  void SetDeviceName(const std::string& name);
  void SetPortNum(int num);
  void SetBuffers(const TVaBuffers& buffers);
  void SetMonitorEvents(TVaCommEvents events);
  void SetDirectWrite(bool on);
  void SetUpdateDCB(bool on);
  // Line settings: re-applied to an open device at once.
  void SetBaudrate(TVaBaudrate rate);
  void SetUserBaudrate(int bitsPerSecond);
  void SetParity(TVaParity parity);
  void SetDatabits(TVaDatabits bits);
  void SetStopbits(TVaStopbits bits);
  void SetOptions(TVaCommOptions options);
  void SetFlowControl(const TVaFlowControl& flow);
  void SetEventChars(const TVaEventChars& chars);
  // Thread priorities are kept for the Windows backend; POSIX threads run at
  // the default priority (raising it needs privileges a desktop user lacks).
  void SetEventPriority(TVaThreadPriority p) { eventPriority_ = p; }
  void SetWritePriority(TVaThreadPriority p) { writePriority_ = p; }

 private:
  struct Core;  // the backend's run-time state, shared with its threads and posted closures
  friend class VaCommPosting;

  void RequireClosed() const;
  void ApplyLineSettingsIfOpen();
  // A setting the port takes at its opening, refused while it is open.
  template <class T>
  void SetClosed(T& setting, const T& value) {
    RequireClosed();
    setting = value;
  }
  // A line setting is stored and re-applied to an open device at once.
  template <class T>
  void SetLine(T& setting, const T& value) {
    setting = value;
    ApplyLineSettingsIfOpen();
  }

  // Backend (posix/ or win32/).
  void BackendOpen(const std::string& path);
  void BackendClose();
  bool BackendActive() const;
  void BackendApplyLineSettings();
  size_t BackendRead(void* dst, size_t count);
  size_t BackendWrite(const void* src, size_t count);
  void BackendSetDtr(bool on);
  void BackendSetRxHandler(RxHandler handler);
  void BackendRequestRxNotify();
  void BackendSetErrorHandler(ErrorHandler handler);

  std::shared_ptr<Core> core_;
  TVaDispatcher dispatch_;

  std::string deviceName_ = "COM%d";
  int portNum_ = 0;
  TVaBaudrate baudrate_ = br1200;
  int userBaudrate_ = 0;
  TVaParity parity_ = paNone;
  TVaDatabits databits_ = db8;
  TVaStopbits stopbits_ = sb1;
  TVaCommOptions options_;
  TVaFlowControl flowControl_;
  TVaEventChars eventChars_;
  TVaBuffers buffers_;
  TVaCommEvents monitorEvents_{ceError, ceRxChar, ceTxEmpty};
  TVaThreadPriority eventPriority_ = tpNormal;
  TVaThreadPriority writePriority_ = tpHighest;
  bool directWrite_ = false;
  bool updateDcb_ = true;
};

// The port with its settings public.
class TVaComm : public TVaCustomComm {
 public:
  using TVaCustomComm::TVaCustomComm;

  using TVaCustomComm::Baudrate;
  using TVaCustomComm::Buffers;
  using TVaCustomComm::Databits;
  using TVaCustomComm::DeviceName;
  using TVaCustomComm::DirectWrite;
  using TVaCustomComm::EventChars;
  using TVaCustomComm::EventPriority;
  using TVaCustomComm::FlowControl;
  using TVaCustomComm::MonitorEvents;
  using TVaCustomComm::Options;
  using TVaCustomComm::Parity;
  using TVaCustomComm::PortNum;
  using TVaCustomComm::Stopbits;
  using TVaCustomComm::UpdateDCB;
  using TVaCustomComm::UserBaudrate;
  using TVaCustomComm::WritePriority;

  using TVaCustomComm::SetBaudrate;
  using TVaCustomComm::SetBuffers;
  using TVaCustomComm::SetDatabits;
  using TVaCustomComm::SetDeviceName;
  using TVaCustomComm::SetDirectWrite;
  using TVaCustomComm::SetEventChars;
  using TVaCustomComm::SetEventPriority;
  using TVaCustomComm::SetFlowControl;
  using TVaCustomComm::SetMonitorEvents;
  using TVaCustomComm::SetOptions;
  using TVaCustomComm::SetParity;
  using TVaCustomComm::SetPortNum;
  using TVaCustomComm::SetStopbits;
  using TVaCustomComm::SetUpdateDCB;
  using TVaCustomComm::SetUserBaudrate;
  using TVaCustomComm::SetWritePriority;
};

// Message helpers shared by the backends. Each fills the "%d"/"%s" of a
// fixed message with the values given, as plain text (a device path can
// never act as a format).
namespace va_comm_messages {
inline constexpr const char* kNotFound = "Specified device not found (%s).";
inline constexpr const char* kCantOpen = "Can't open specified device %s (Error %d, %s)";
inline constexpr const char* kWritingDcb = "Error writing dcb (%d), %s";
inline constexpr const char* kInitBuffers = "Error initializing buffers (%d), %s";
inline constexpr const char* kTimeouts = "Error setting timeouts (%d), %s";
inline constexpr const char* kEventMask = " Error setting EventMask (%d), %s";
inline constexpr const char* kStatistics = "Error retrieving statistics (%d), %s";
inline constexpr const char* kReadError = "Read error (%d), %s";
inline constexpr const char* kWriteError = "Write error (%d), %s";
inline constexpr const char* kOutputFull = "Output buffer is full. Please check comm status.";
inline constexpr const char* kPortOpen = "Can't perform this operation while port is open";
inline constexpr const char* kDtrHandshake =
    "DTR line updates not allowed when flowcontrol is set to Handshake.";
inline constexpr const char* kCommFunction = "Error calling comm function (%d), %s";

// Replaces the "%d" and "%s" of `pattern`, left to right, with `args`.
std::string Fill(const char* pattern, std::initializer_list<std::string> args);
// "(%d), %s" style messages: the platform's code and its text.
std::string WithCode(const char* pattern, int code);
// The platform's text for an error code (strerror, FormatMessage).
std::string PlatformErrorText(int code);
// kCantOpen for `path` and the platform's `code`; on Linux a port refused
// for lack of permission gets a second line saying how to get it (naming
// the device's group, or why no group helps).
std::string CantOpenText(const std::string& path, int code);
}  // namespace va_comm_messages

// DeviceName with every literal "%d" replaced by the port number.
std::string FormatDeviceName(const std::string& name, int portNum);

}  // namespace kalvex
