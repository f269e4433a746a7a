// The received-bytes notification rule both port backends follow: at most
// one notification in flight; after the handler, another comes only if it
// read something or asked for one, otherwise the port stays parked until
// requestRxNotify(). Templates over the backend's session type, which holds
// `rxMutex`, `rx` (Armed/InFlight/Parked), `SetRx`, and the user-interface
// thread's `inHandler`, `notifyRequested` and `readInHandler`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kalvex::va_comm_notify {

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

}  // namespace kalvex::va_comm_notify
