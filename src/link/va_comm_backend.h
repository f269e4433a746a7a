// What the POSIX and Win32 port backends share, as templates over the
// backend's session type.
//
// The received-bytes notification rule: at most one notification in flight;
// after the handler, another comes only if it read something or asked for
// one, otherwise the port stays parked until requestRxNotify(). A session
// derives from SessionBase and adds `SetRx`, which wakes its own threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "link/va_comm.h"

namespace kalvex::va_comm_backend {

// The state each backend's session holds for the code here; the backend
// adds its device, threads and wake-ups.
struct SessionBase {
  enum class Rx { Armed, InFlight, Parked };

  uint64_t id = 0;
  TVaDispatcher dispatch;
  std::atomic<bool> stop{false};
  std::atomic<bool> failed{false};  // device gone, line error or peer lost: reported once

  std::mutex rxMutex;
  Rx rx = Rx::Armed;  // under rxMutex

  // User-interface thread only.
  bool inHandler = false;
  bool notifyRequested = false;
  size_t readInHandler = 0;

  std::mutex writeMutex;
  std::condition_variable writeRoom;
  std::vector<uint8_t> writeQueue;  // under writeMutex
  size_t writeCapacity = 0;
};

// Arms a parked session again (the caller's rule decides when).
template <class Session>
void Unpark(Session& s) {
  std::unique_lock lock(s.rxMutex);
  if (s.rx == Session::Rx::Parked) {
    lock.unlock();
    s.SetRx(Session::Rx::Armed);
  }
}

// requestRxNotify(): inside the handler it only marks the wish, which the
// settling after the handler honours.
template <class Session>
void Request(Session& s) {
  if (s.inHandler) {
    s.notifyRequested = true;
    return;
  }
  Unpark(s);
}

// Runs the handler for `waiting` bytes of session `id` and settles the
// notification afterwards, even when the handler throws; a handler that
// closed or reopened the port leaves the new session alone.
template <class Core, class Session, class Handler>
void RunHandler(Core& core, uint64_t id, Session& s, const Handler& handler, size_t waiting) {
  s.inHandler = true;
  s.notifyRequested = false;
  s.readInHandler = 0;
  struct Settle {
    Core& core;
    uint64_t id;
    ~Settle() {
      Session* s = core.Current(id);
      if (!s) return;
      s->inHandler = false;
      const bool again = s->readInHandler > 0 || s->notifyRequested;
      s->SetRx(again ? Session::Rx::Armed : Session::Rx::Parked);
    }
  } settle{core, id};
  handler(waiting);
}

// Posts `message` to the error handler of session `s`. The closure holds the
// core weakly and names the session by id, so one that runs after a close, a
// reopen or the port's end finds nothing to act on.
template <class Core, class Session>
void PostError(const std::weak_ptr<Core>& weak, const Session& s, std::string message) {
  if (!s.dispatch) return;
  s.dispatch([weak, id = s.id, message = std::move(message)] {
    auto core = weak.lock();
    if (!core || !core->Current(id) || !core->errorHandler) return;
    auto handler = core->errorHandler;  // may replace itself or close the port
    handler(message);
  });
}

// A received-bytes notification on the user-interface thread, once the
// backend has counted the `waiting` bytes: none (someone read them
// meanwhile) arms the session again, no handler parks it, else the handler
// runs.
template <class Core, class Session>
void Deliver(Core& core, uint64_t id, Session& s, size_t waiting) {
  if (waiting == 0) {
    s.SetRx(Session::Rx::Armed);
    return;
  }
  if (!core.rxHandler) {
    s.SetRx(Session::Rx::Parked);
    return;
  }
  auto handler = core.rxHandler;  // may replace itself or close the port
  RunHandler(core, id, s, handler, waiting);
}

// What a port keeps across opens: the current open (null while closed) and
// the two handlers. User-interface thread only. Each backend's Core derives
// from this with its own session type.
template <class Session>
struct CoreBase {
  std::unique_ptr<Session> session;
  uint64_t nextId = 1;
  SerialLink::RxHandler rxHandler;
  SerialLink::ErrorHandler errorHandler;

  Session* Current(uint64_t id) const {
    return session && session->id == id ? session.get() : nullptr;
  }

  void setRxHandler(SerialLink::RxHandler handler) {
    rxHandler = std::move(handler);
    // A notification parked for want of a handler can go out now.
    Session* s = session.get();
    if (s && rxHandler && !s->inHandler) Unpark(*s);
  }
  void requestRxNotify() {
    if (session) Request(*session);
  }
};

// The core of a port, made on first use.
template <class Core>
Core& Ensure(std::shared_ptr<Core>& core) {
  if (!core) core = std::make_shared<Core>();
  return *core;
}

// WriteBytes through the write thread: waits up to `writeTimeoutMs` for room,
// then appends. Returns false (nothing queued) once the port has failed; the
// caller then wakes nobody and reports 0 bytes.
template <class Session>
bool EnqueueWrite(Session& s, const uint8_t* bytes, size_t count, int writeTimeoutMs) {
  std::unique_lock lock(s.writeMutex);
  auto fits = [&] { return s.failed || s.writeQueue.size() + count <= s.writeCapacity; };
  // A line longer than the whole queue can never fit: no point waiting.
  if (count > s.writeCapacity ||
      !s.writeRoom.wait_for(lock, std::chrono::milliseconds(std::max(0, writeTimeoutMs)), fits))
    throw EVaCommError(va_comm_messages::kOutputFull);
  if (s.failed) return false;
  s.writeQueue.insert(s.writeQueue.end(), bytes, bytes + count);
  return true;
}

}  // namespace kalvex::va_comm_backend
