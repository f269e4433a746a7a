// TVaCustomComm on the Windows communications API: overlapped handle, DCB
// line settings, an event thread on WaitCommEvent and a write thread that
// drains the write queue. Same notification rules as the POSIX backend.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "link/va_comm.h"
#include "link/va_comm_backend.h"
#include "protocol/utf8_path.h"

namespace kalvex {

namespace msg = va_comm_messages;

std::string va_comm_messages::CantOpenText(const std::string& path, int code) {
  return Fill(kCantOpen, {path, std::to_string(code), PlatformErrorText(code)});
}

// UTF-8, like every other text of the program: a Russian Windows answers in
// Cyrillic, which the ANSI code page would garble on the way to the window.
std::string va_comm_messages::PlatformErrorText(int code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n != 0 && text != nullptr) {
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    out.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    if (bytes > 0)
      ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), out.data(), bytes, nullptr,
                            nullptr);
  }
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() &&
         (out.back() == '\r' || out.back() == '\n' || out.back() == '.' || out.back() == ' '))
    out.pop_back();
  if (out.empty()) out = "Unknown error";
  return out;
}

namespace {

int LastError() { return static_cast<int>(::GetLastError()); }

// A Win32 event; ok() is false when the system had none to give (the
// creator checks it before any wait could use a null handle).
class Event {
 public:
  explicit Event(bool manualReset)
      : h_(::CreateEventW(nullptr, manualReset, FALSE, nullptr)),
        error_(h_ ? 0 : static_cast<int>(::GetLastError())) {}
  ~Event() {
    if (h_ != nullptr) ::CloseHandle(h_);
  }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  bool ok() const { return h_ != nullptr; }
  int error() const { return error_; }
  HANDLE get() const { return h_; }
  void Set() { ::SetEvent(h_); }
  void Reset() { ::ResetEvent(h_); }

 private:
  HANDLE h_;
  int error_;
};

// Ends an overlapped operation this thread started and waits until the
// system no longer owns `ov`. Wine ignores the cancel of a pending
// WaitCommEvent but ends it when the event mask is cleared, so a closing
// port (`closing`) does both, again while the operation is still pending.
void EndPending(HANDLE h, OVERLAPPED& ov, DWORD* done, bool closing) {
  ::CancelIoEx(h, &ov);
  while (closing && ::WaitForSingleObject(ov.hEvent, 200) != WAIT_OBJECT_0) {
    ::SetCommMask(h, 0);
    ::CancelIoEx(h, &ov);
  }
  ::GetOverlappedResult(h, &ov, done, TRUE);
}

bool IsGoneError(DWORD e) {
  return e == ERROR_ACCESS_DENIED || e == ERROR_BAD_COMMAND || e == ERROR_DEVICE_REMOVED ||
         e == ERROR_OPERATION_ABORTED || e == ERROR_GEN_FAILURE || e == ERROR_INVALID_HANDLE;
}

}  // namespace

struct VaCommSession : va_comm_backend::SessionBase {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD mask = 0;

  Event stopEvent{true};
  Event rearmEvent{false};
  Event writeData{false};
  Event readDone{true};  // user-interface thread only
  std::thread eventThread;
  std::thread writeThread;

  ~VaCommSession() {
    stop = true;
    stopEvent.Set();
    if (handle != INVALID_HANDLE_VALUE) {
      // A cleared mask ends a pending WaitCommEvent at once (wine honours
      // nothing else); the cancel ends the reads and writes in flight.
      ::SetCommMask(handle, 0);
      ::CancelIoEx(handle, nullptr);
    }
    if (eventThread.joinable()) eventThread.join();
    if (writeThread.joinable()) writeThread.join();
    if (handle != INVALID_HANDLE_VALUE) {
      // Nothing of this session may reach the next one or the line.
      ::PurgeComm(handle, PURGE_RXABORT | PURGE_TXABORT | PURGE_RXCLEAR | PURGE_TXCLEAR);
      ::CloseHandle(handle);
    }
  }

  // The system error of the first event it could not create, or 0.
  int EventError() const {
    for (const Event* e : {&stopEvent, &rearmEvent, &writeData, &readDone})
      if (!e->ok()) return e->error();
    return 0;
  }

  void SetRx(Rx state) {
    {
      std::lock_guard lock(rxMutex);
      rx = state;
    }
    if (state == Rx::Armed) rearmEvent.Set();
  }

  // Bytes in the driver's input queue; -1 with the error on failure.
  long Waiting(DWORD* error) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!::ClearCommError(handle, &errors, &stat)) {
      *error = ::GetLastError();
      return -1;
    }
    return static_cast<long>(stat.cbInQue);
  }
};

struct TVaCustomComm::Core : va_comm_backend::CoreBase<VaCommSession> {};

class VaCommPosting {
 public:
  using Core = TVaCustomComm::Core;
  using Session = VaCommSession;

  static void PostFailure(const std::weak_ptr<Core>& weak, Session& s, std::string message) {
    if (s.failed.exchange(true)) return;
    s.stopEvent.Set();  // both threads stop touching the device
    s.writeRoom.notify_all();
    va_comm_backend::PostError(weak, s, std::move(message));
  }

  static void DeliverRx(const std::weak_ptr<Core>& weak, uint64_t id) {
    auto core = weak.lock();
    if (!core) return;
    Session* s = core->Current(id);
    if (!s || s->failed) return;
    DWORD error = 0;
    const long waiting = s->Waiting(&error);
    if (waiting < 0) {
      PostFailure(weak, *s, msg::WithCode(msg::kStatistics, static_cast<int>(error)));
      return;
    }
    va_comm_backend::Deliver(*core, id, *s, static_cast<size_t>(waiting));
  }

  // Posts a notification when armed and bytes wait.
  static void OfferRx(const std::weak_ptr<Core>& weak, Session& s) {
    {
      std::lock_guard lock(s.rxMutex);
      if (s.rx != Session::Rx::Armed) return;
    }
    DWORD error = 0;
    const long waiting = s.Waiting(&error);
    if (waiting < 0) {
      PostFailure(weak, s, msg::WithCode(msg::kStatistics, static_cast<int>(error)));
      return;
    }
    if (waiting == 0 || !s.dispatch) return;
    {
      std::lock_guard lock(s.rxMutex);
      s.rx = Session::Rx::InFlight;
    }
    s.dispatch([weak, id = s.id] { DeliverRx(weak, id); });
  }

  static void EventLoop(std::weak_ptr<Core> weak, Session* s) {
    Event commEvent(true);
    if (!commEvent.ok()) {
      PostFailure(weak, *s, msg::WithCode(msg::kEventMask, commEvent.error()));
      return;
    }
    while (!s->stop && !s->failed) {
      OVERLAPPED ov{};
      ov.hEvent = commEvent.get();
      DWORD events = 0;
      if (!::WaitCommEvent(s->handle, &events, &ov)) {
        const DWORD e = ::GetLastError();
        if (e != ERROR_IO_PENDING) {
          if (s->stop) break;  // the close cleared the mask under us
          // A removed device fails every wait: report once and stop, no loop.
          PostFailure(weak, *s, msg::WithCode(msg::kReadError, static_cast<int>(e)));
          break;
        }
        for (;;) {
          HANDLE waits[] = {s->stopEvent.get(), commEvent.get(), s->rearmEvent.get()};
          const DWORD w = ::WaitForMultipleObjects(3, waits, FALSE, INFINITE);
          if (w == WAIT_OBJECT_0 + 2) {  // the user-interface thread re-armed
            OfferRx(weak, *s);
            continue;
          }
          if (w != WAIT_OBJECT_0 + 1) {  // stop, or the wait itself failed
            DWORD ignored = 0;
            EndPending(s->handle, ov, &ignored, true);
            return;
          }
          DWORD ignored = 0;
          if (!::GetOverlappedResult(s->handle, &ov, &ignored, FALSE)) {
            const DWORD err = ::GetLastError();
            if (IsGoneError(err))
              PostFailure(weak, *s, msg::WithCode(msg::kReadError, static_cast<int>(err)));
          }
          break;
        }
      }
      commEvent.Reset();
      if (s->stop || s->failed) break;
      if (events & EV_ERR) {
        DWORD errors = 0;
        ::ClearCommError(s->handle, &errors, nullptr);
      }
      if (events & EV_RXCHAR) OfferRx(weak, *s);
    }
  }

  static void WriteLoop(std::weak_ptr<Core> weak, Session* s) {
    Event written(true);
    if (!written.ok()) {
      PostFailure(weak, *s, msg::WithCode(msg::kWriteError, written.error()));
      return;
    }
    std::vector<uint8_t> chunk;
    for (;;) {
      HANDLE waits[] = {s->stopEvent.get(), s->writeData.get()};
      const DWORD w = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      if (w != WAIT_OBJECT_0 + 1 || s->failed) return;
      for (;;) {
        {
          std::lock_guard lock(s->writeMutex);
          chunk.assign(s->writeQueue.begin(), s->writeQueue.end());
        }
        if (chunk.empty()) break;
        OVERLAPPED ov{};
        ov.hEvent = written.get();
        DWORD done = 0;
        if (!::WriteFile(s->handle, chunk.data(), static_cast<DWORD>(chunk.size()), &done, &ov)) {
          const DWORD e = ::GetLastError();
          if (e != ERROR_IO_PENDING) {
            PostFailure(weak, *s, msg::WithCode(msg::kWriteError, static_cast<int>(e)));
            return;
          }
          HANDLE pending[] = {s->stopEvent.get(), written.get()};
          if (::WaitForMultipleObjects(2, pending, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            EndPending(s->handle, ov, &done, true);
            return;
          }
          if (!::GetOverlappedResult(s->handle, &ov, &done, FALSE)) {
            PostFailure(weak, *s, msg::WithCode(msg::kWriteError, LastError()));
            return;
          }
        }
        {
          std::lock_guard lock(s->writeMutex);
          const size_t n = std::min<size_t>(done, s->writeQueue.size());
          s->writeQueue.erase(s->writeQueue.begin(), s->writeQueue.begin() + n);
        }
        s->writeRoom.notify_all();
      }
    }
  }
};

bool TVaCustomComm::BackendActive() const { return core_ && core_->session; }

void TVaCustomComm::BackendOpen(const std::string& path) {
  Core& core = va_comm_backend::Ensure(core_);
  HANDLE h = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const int e = LastError();
    if (e == ERROR_FILE_NOT_FOUND) throw EVaCommError(msg::Fill(msg::kNotFound, {path}));
    throw EVaCommError(
        msg::Fill(msg::kCantOpen, {path, std::to_string(e), msg::PlatformErrorText(e)}));
  }
  auto s = std::make_unique<VaCommSession>();
  s->id = core.nextId++;
  s->handle = h;
  s->dispatch = dispatch_;
  core.session = std::move(s);
  try {
    VaCommSession& open = *core.session;
    if (const int e = open.EventError(); e != 0)
      throw EVaCommError(msg::WithCode(msg::kEventMask, e));
    if (updateDcb_) BackendApplyLineSettings();
    if (buffers_.ReadSize <= 0 || buffers_.WriteSize <= 0 ||
        !::SetupComm(h, static_cast<DWORD>(buffers_.ReadSize),
                     static_cast<DWORD>(buffers_.WriteSize)))
      throw EVaCommError(msg::WithCode(msg::kInitBuffers, LastError()));
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 5;
    if (!::SetCommTimeouts(h, &timeouts))
      throw EVaCommError(msg::WithCode(msg::kTimeouts, LastError()));
    // Whatever the adapter sent before this open is not a reply to us.
    ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);

    static constexpr DWORD kEventBits[] = {EV_BREAK,    EV_CTS,    EV_DSR,     EV_ERR,    EV_RING,
                                           EV_RLSD,     EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_PERR,
                                           EV_RX80FULL, EV_EVENT1, EV_EVENT2};
    DWORD mask = 0;
    for (size_t i = 0; i < std::size(kEventBits); ++i)
      if (monitorEvents_.Contains(static_cast<TVaCommEvent>(i))) mask |= kEventBits[i];
    if (!directWrite_) mask &= ~static_cast<DWORD>(EV_TXEMPTY);  // the write thread knows
    if (!::SetCommMask(h, mask)) throw EVaCommError(msg::WithCode(msg::kEventMask, LastError()));
    open.mask = mask;
    open.writeCapacity = static_cast<size_t>(buffers_.WriteSize);

    std::weak_ptr<Core> weak = core_;
    try {
      if (mask != 0) open.eventThread = std::thread(VaCommPosting::EventLoop, weak, &open);
      if (!directWrite_) open.writeThread = std::thread(VaCommPosting::WriteLoop, weak, &open);
    } catch (const std::system_error& e) {
      throw EVaCommError(msg::WithCode(msg::kEventMask, e.code().value()));
    }
  } catch (...) {
    core.session.reset();
    throw;
  }
}

void TVaCustomComm::BackendClose() {
  if (!core_ || !core_->session) return;
  std::unique_ptr<VaCommSession> s = std::move(core_->session);
  s.reset();
}

void TVaCustomComm::BackendApplyLineSettings() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const int bps = baudrate_ == brUser ? userBaudrate_ : BaudrateBitsPerSecond(baudrate_);
  dcb.BaudRate = static_cast<DWORD>(std::max(0, bps));
  dcb.ByteSize = static_cast<BYTE>(4 + static_cast<int>(databits_));
  dcb.Parity = static_cast<BYTE>(parity_);
  dcb.StopBits = static_cast<BYTE>(stopbits_);
  dcb.fBinary = TRUE;
  dcb.fOutxCtsFlow = flowControl_.OutCtsFlow;
  dcb.fOutxDsrFlow = flowControl_.OutDsrFlow;
  static constexpr DWORD kDtr[] = {DTR_CONTROL_DISABLE, DTR_CONTROL_ENABLE, DTR_CONTROL_HANDSHAKE};
  static constexpr DWORD kRts[] = {RTS_CONTROL_DISABLE, RTS_CONTROL_ENABLE, RTS_CONTROL_HANDSHAKE,
                                   RTS_CONTROL_TOGGLE};
  dcb.fDtrControl = kDtr[flowControl_.ControlDtr];
  dcb.fRtsControl = kRts[flowControl_.ControlRts];
  dcb.fOutX = flowControl_.XonXoffOut;
  dcb.fInX = flowControl_.XonXoffIn;
  dcb.fDsrSensitivity = flowControl_.DsrSensitivity;
  dcb.fTXContinueOnXoff = flowControl_.TxContinueOnXoff;
  dcb.fErrorChar = options_.Contains(coErrorChar);
  dcb.fNull = options_.Contains(coNullStrip);
  dcb.fParity = options_.Contains(coParityCheck);
  dcb.XonLim = static_cast<WORD>(std::clamp(buffers_.XonLimit, 0, 0xFFFF));
  dcb.XoffLim = static_cast<WORD>(std::clamp(buffers_.XoffLimit, 0, 0xFFFF));
  dcb.XonChar = static_cast<char>(eventChars_.XonChar);
  dcb.XoffChar = static_cast<char>(eventChars_.XoffChar);
  dcb.ErrorChar = static_cast<char>(eventChars_.ErrorChar);
  dcb.EvtChar = static_cast<char>(eventChars_.EventChar);
  dcb.EofChar = static_cast<char>(eventChars_.EventChar);
  if (!::SetCommState(core_->session->handle, &dcb))
    throw EVaCommError(msg::WithCode(msg::kWritingDcb, LastError()));
}

size_t TVaCustomComm::BackendRead(void* dst, size_t count) {
  if (!BackendActive()) return 0;
  VaCommSession& s = *core_->session;
  if (s.failed) return 0;
  OVERLAPPED ov{};
  ov.hEvent = s.readDone.get();
  s.readDone.Reset();
  DWORD done = 0;
  const DWORD want = static_cast<DWORD>(std::min<size_t>(count, MAXDWORD));
  if (!::ReadFile(s.handle, dst, want, &done, &ov)) {
    const DWORD e = ::GetLastError();
    if (e != ERROR_IO_PENDING)
      throw EVaCommError(msg::WithCode(msg::kReadError, static_cast<int>(e)));
    if (::WaitForSingleObject(ov.hEvent, static_cast<DWORD>(std::max(0, buffers_.ReadTimeout))) !=
        WAIT_OBJECT_0) {
      // Cancel and wait it out, so nothing lands in the caller's buffer later.
      EndPending(s.handle, ov, &done, false);
      s.readInHandler += done;
      return done;
    }
    if (!::GetOverlappedResult(s.handle, &ov, &done, FALSE)) done = 0;
  }
  s.readInHandler += done;
  return done;
}

size_t TVaCustomComm::BackendWrite(const void* src, size_t count) {
  if (!BackendActive()) return 0;
  VaCommSession& s = *core_->session;
  if (s.failed) return 0;
  const auto* bytes = static_cast<const uint8_t*>(src);
  if (directWrite_) {
    OVERLAPPED ov{};
    Event written(true);
    if (!written.ok()) throw EVaCommError(msg::WithCode(msg::kWriteError, written.error()));
    ov.hEvent = written.get();
    DWORD done = 0;
    if (!::WriteFile(s.handle, bytes, static_cast<DWORD>(count), &done, &ov)) {
      const DWORD e = ::GetLastError();
      if (e != ERROR_IO_PENDING)
        throw EVaCommError(msg::WithCode(msg::kWriteError, static_cast<int>(e)));
      if (::WaitForSingleObject(written.get(), static_cast<DWORD>(std::max(
                                                   0, buffers_.ReadTimeout))) != WAIT_OBJECT_0) {
        // What went out before the time-out did reach the line: say so.
        EndPending(s.handle, ov, &done, false);
        return done;
      }
      if (!::GetOverlappedResult(s.handle, &ov, &done, FALSE)) done = 0;
    }
    return done;
  }
  if (!va_comm_backend::EnqueueWrite(s, bytes, count, buffers_.WriteTimeout)) return 0;
  s.writeData.Set();
  return count;
}

void TVaCustomComm::BackendSetDtr(bool on) {
  if (!::EscapeCommFunction(core_->session->handle, on ? SETDTR : CLRDTR))
    throw EVaCommError(msg::WithCode(msg::kCommFunction, LastError()));
}

void TVaCustomComm::BackendSetRxHandler(RxHandler handler) {
  va_comm_backend::Ensure(core_).setRxHandler(std::move(handler));
}

void TVaCustomComm::BackendRequestRxNotify() {
  if (core_) core_->requestRxNotify();
}

void TVaCustomComm::BackendSetErrorHandler(ErrorHandler handler) {
  va_comm_backend::Ensure(core_).errorHandler = std::move(handler);
}

}  // namespace kalvex

#endif  // _WIN32
