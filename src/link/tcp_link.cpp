#include "link/tcp_link.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "link/tcp_socket.h"
#include "link/va_comm_backend.h"

namespace kalvex {

namespace msg = va_comm_messages;

// One connection: the socket, the I/O thread and the two queues.
struct TcpSession : va_comm_backend::SessionBase {
  std::string address;  // "HOST:PORT", for the messages
  net::Socket sock;
  net::Socket wakeRead, wakeWrite;
  std::thread thread;

  std::mutex inMutex;
  std::vector<uint8_t> inbox;  // under inMutex; at most inboxCapacity bytes
  size_t inboxCapacity = 4096;

  ~TcpSession() {
    stop = true;
    Wake();
    if (thread.joinable()) thread.join();
  }

  void Wake() {
    if (wakeWrite.Valid()) net::WakeWrite(wakeWrite.Handle());
  }
  void SetRx(Rx state) {
    {
      std::lock_guard lock(rxMutex);
      rx = state;
    }
    Wake();
  }
  size_t Inbox() {
    std::lock_guard lock(inMutex);
    return inbox.size();
  }
};

struct TcpLink::Core : va_comm_backend::CoreBase<TcpSession> {};

namespace {

using Core = TcpLink::Core;

void PostFailure(const std::weak_ptr<Core>& weak, TcpSession& s, std::string message) {
  if (s.failed.exchange(true)) return;
  s.Wake();
  s.writeRoom.notify_all();
  va_comm_backend::PostError(weak, s, std::move(message));
}

void DeliverRx(const std::weak_ptr<Core>& weak, uint64_t id) {
  auto core = weak.lock();  // keeps the core alive even if the handler destroys the link
  if (!core) return;
  TcpSession* s = core->Current(id);
  if (!s || s->failed) return;
  va_comm_backend::Deliver(*core, id, *s, s->Inbox());
}

std::string LostText(const TcpSession& s, int code) {
  return msg::Fill(TranslateText(tcp_messages::kLost).c_str(), {s.address, net::ErrorText(code)});
}

// Sends what the write queue holds, as far as the socket takes it; 0 or the
// error code of a connection that broke.
int SendQueued(TcpSession& s) {
  std::lock_guard lock(s.writeMutex);
  while (!s.writeQueue.empty()) {
    const long n = net::Send(s.sock.Handle(), s.writeQueue.data(), s.writeQueue.size());
    if (n > 0) {
      s.writeQueue.erase(s.writeQueue.begin(), s.writeQueue.begin() + n);
      continue;
    }
    const int e = net::LastError();
    if (n < 0 && net::WouldBlock(e)) break;
    s.writeQueue.clear();
    return e;
  }
  return 0;
}

// What the I/O thread carries from one turn of its loop to the next.
struct IoState {
  // Set once the peer has closed or reset; reported once the bytes it sent
  // before have been delivered (or nobody is going to read them).
  bool ended = false;
  std::string endText;
  // The peer hung up while the receive queue was full: the socket is left
  // alone until there is room to read what it still holds.
  bool holding = false;
  std::vector<uint8_t> buf;

  void End(std::string text) {
    ended = true;
    endText = std::move(text);
  }
};

// Posts a received-bytes notification when armed and bytes wait, and the
// peer's end once nothing it sent is left undelivered. Returns the bytes
// queued for the user-interface thread.
size_t OfferRx(const std::weak_ptr<Core>& weak, TcpSession& s, const IoState& io) {
  TcpSession::Rx rx;
  {
    std::lock_guard lock(s.rxMutex);
    rx = s.rx;
  }
  const size_t queued = s.Inbox();
  if (!s.failed && rx == TcpSession::Rx::Armed && queued > 0) {
    {
      std::lock_guard lock(s.rxMutex);
      s.rx = rx = TcpSession::Rx::InFlight;
    }
    if (s.dispatch) s.dispatch([weak, id = s.id] { DeliverRx(weak, id); });
  }
  if (io.ended && !s.failed && rx != TcpSession::Rx::InFlight &&
      (queued == 0 || rx == TcpSession::Rx::Parked))
    PostFailure(weak, s, io.endText);
  return queued;
}

// What the socket is watched for this turn: reading while there is room,
// writing while bytes are queued; nothing once it failed, ended or is held.
short SocketEvents(TcpSession& s, const IoState& io, size_t room) {
  if (s.failed || io.ended || io.holding) return 0;
  bool pendingWrite;
  {
    std::lock_guard lock(s.writeMutex);
    pendingWrite = !s.writeQueue.empty();
  }
  return static_cast<short>((room > 0 ? POLLIN : 0) | (pendingWrite ? POLLOUT : 0));
}

// Moves what the socket holds into the receive queue, up to `room` bytes.
void ReadSocket(TcpSession& s, IoState& io, size_t room) {
  if (room == 0) {
    io.holding = true;
    return;
  }
  io.buf.resize(room);
  const long n = net::Recv(s.sock.Handle(), io.buf.data(), room);
  if (n > 0) {
    std::lock_guard lock(s.inMutex);
    s.inbox.insert(s.inbox.end(), io.buf.begin(), io.buf.begin() + n);
  } else if (n == 0) {
    io.End(msg::Fill(TranslateText(tcp_messages::kClosedByPeer).c_str(), {s.address}));
  } else if (const int e = net::LastError(); !net::WouldBlock(e)) {
    io.End(LostText(s, e));
  }
}

void IoLoop(std::weak_ptr<Core> weak, TcpSession* s) {
  IoState io;
  for (;;) {
    if (s->stop) {
      if (!s->failed && !io.ended) SendQueued(*s);  // queued bytes get one last chance
      return;
    }
    const size_t queued = OfferRx(weak, *s, io);
    const size_t room = s->inboxCapacity - std::min(queued, s->inboxCapacity);
    if (room > 0) io.holding = false;
    net::PollFd fds[2] = {};
    fds[0].fd = s->wakeRead.Handle();
    fds[0].events = POLLIN;
    size_t count = 1;
    if (const short events = SocketEvents(*s, io, room)) {
      fds[1].fd = s->sock.Handle();
      fds[1].events = events;
      count = 2;
    }
    if (net::Poll(fds, count, -1) < 0) {
      const int e = net::LastError();
      if (net::WouldBlock(e)) continue;
      PostFailure(weak, *s, LostText(*s, e));
      return;  // Close still joins; nothing is left to watch
    }
    if (fds[0].revents) net::WakeDrain(s->wakeRead.Handle());
    if (count < 2 || s->stop) continue;
    const short revents = fds[1].revents;
    if (revents & POLLNVAL) {
      PostFailure(weak, *s, LostText(*s, net::TimedOutCode()));
      continue;
    }
    if (revents & (POLLIN | POLLHUP | POLLERR)) ReadSocket(*s, io, room);
    if (!io.ended && (revents & POLLOUT)) {
      if (const int e = SendQueued(*s)) io.End(LostText(*s, e));
      s->writeRoom.notify_all();
    }
  }
}

}  // namespace

TcpLink::TcpLink(TVaDispatcher dispatch, const TVaBuffers& buffers)
    : dispatch_(std::move(dispatch)), buffers_(buffers) {}

TcpLink::~TcpLink() { closeDevice(); }

void TcpLink::openDevice(const std::string& text) {
  if (isOpen()) throw EVaCommError(msg::kPortOpen);
  const auto address = net::ParseTcpAddress(text);
  if (!address)
    throw EVaCommError(msg::Fill(TranslateText(tcp_messages::kBadAddress).c_str(), {text}));
  std::string error;
  net::Socket sock = net::Connect(*address, kConnectTimeoutMs, error);
  if (!sock.Valid())
    throw EVaCommError(
        msg::Fill(TranslateText(tcp_messages::kConnectFailed).c_str(), {address->Text(), error}));
  openConnected(std::move(sock), address->Text());
}

void TcpLink::openConnected(net::Socket sock, const std::string& address) {
  if (isOpen()) throw EVaCommError(msg::kPortOpen);
  Core& core = va_comm_backend::Ensure(core_);
  if (buffers_.ReadSize <= 0 || buffers_.WriteSize <= 0)
    throw EVaCommError(msg::WithCode(msg::kInitBuffers, 22));

  auto s = std::make_unique<TcpSession>();
  s->address = address;
  s->sock = std::move(sock);
  if (!net::MakeWakePair(s->wakeRead, s->wakeWrite))
    throw EVaCommError(msg::Fill(TranslateText(tcp_messages::kLost).c_str(),
                                 {s->address, net::ErrorText(net::LastError())}));
  s->id = core.nextId++;
  s->dispatch = dispatch_;
  s->inboxCapacity = static_cast<size_t>(buffers_.ReadSize);
  s->inbox.reserve(s->inboxCapacity);
  s->writeCapacity = static_cast<size_t>(buffers_.WriteSize);
  s->writeQueue.reserve(s->writeCapacity);
  try {
    s->thread = std::thread(IoLoop, std::weak_ptr<Core>(core_), s.get());
  } catch (const std::system_error& e) {
    throw EVaCommError(msg::WithCode(msg::kEventMask, e.code().value()));
  }
  core.session = std::move(s);
}

void TcpLink::closeDevice() {
  if (!core_ || !core_->session) return;
  // Detach first, so the link reads as closed while its thread stops.
  std::unique_ptr<TcpSession> s = std::move(core_->session);
  s.reset();
}

bool TcpLink::isOpen() const { return core_ && core_->session; }

size_t TcpLink::readBytes(uint8_t* dst, size_t capacity) {
  if (!isOpen()) return 0;
  TcpSession& s = *core_->session;
  if (s.failed) return 0;
  size_t n = 0;
  bool wasFull = false;
  {
    std::lock_guard lock(s.inMutex);
    n = std::min(capacity, s.inbox.size());
    wasFull = s.inbox.size() >= s.inboxCapacity;
    std::copy_n(s.inbox.begin(), n, dst);
    s.inbox.erase(s.inbox.begin(), s.inbox.begin() + static_cast<std::ptrdiff_t>(n));
  }
  s.readInHandler += n;
  if (wasFull && n > 0) s.Wake();  // the I/O thread may read from the socket again
  return n;
}

size_t TcpLink::writeBytes(const uint8_t* src, size_t count) {
  if (!isOpen()) return 0;
  TcpSession& s = *core_->session;
  if (s.failed) return 0;
  size_t sent = 0;
  {
    // With nothing queued the request leaves at once, without waking the
    // I/O thread; what the socket does not take is queued behind.
    std::lock_guard lock(s.writeMutex);
    if (s.writeQueue.empty()) {
      const long n = net::Send(s.sock.Handle(), src, count);
      if (n > 0) sent = static_cast<size_t>(n);
      if (n < 0 && !net::WouldBlock(net::LastError())) sent = 0;  // the I/O thread reports it
    }
  }
  if (sent == count) return count;
  if (!va_comm_backend::EnqueueWrite(s, src + sent, count - sent, buffers_.WriteTimeout)) return 0;
  s.Wake();
  return count;
}

void TcpLink::setRxHandler(RxHandler handler) {
  va_comm_backend::Ensure(core_).setRxHandler(std::move(handler));
}

void TcpLink::requestRxNotify() {
  if (core_) core_->requestRxNotify();
}

void TcpLink::setErrorHandler(ErrorHandler handler) {
  va_comm_backend::Ensure(core_).errorHandler = std::move(handler);
}

// ---- connecting off the user-interface thread ------------------------------

static_assert(kOpenLimitMs > TcpLink::kConnectTimeoutMs,
              "the owner's limit leaves the connecting thread time to report its own");

struct TcpConnectAttempt::State {
  net::TcpAddress address;
  std::chrono::steady_clock::time_point until;
  TVaDispatcher dispatch;
  std::mutex mutex;
  bool cancelled = false;  // under mutex
  net::Socket sock;        // the thread's result, under mutex
  std::string error;
  Done done;  // user-interface thread only
};

namespace {

void Connecting(std::shared_ptr<TcpConnectAttempt::State> st) {
  std::string error;
  net::Socket sock = net::Connect(st->address, st->until, error);
  std::lock_guard lock(st->mutex);
  // Cancelled: whoever asked may be gone, dispatcher included; the socket
  // closes here.
  if (st->cancelled) return;
  if (!sock.Valid())
    st->error =
        msg::Fill(TranslateText(tcp_messages::kConnectFailed).c_str(), {st->address.Text(), error});
  st->sock = std::move(sock);
  st->dispatch([st] {
    net::Socket result;
    std::string reason;
    {
      std::lock_guard ui(st->mutex);
      if (st->cancelled) return;
      st->cancelled = true;  // delivered once
      result = std::move(st->sock);
      reason = std::move(st->error);
    }
    // Moved out first: `done` may destroy the attempt that holds it.
    TcpConnectAttempt::Done done = std::move(st->done);
    st->done = nullptr;
    if (done) done(std::move(result), reason);
  });
}

}  // namespace

TcpConnectAttempt::TcpConnectAttempt(const std::string& text, TVaDispatcher dispatch, Done done) {
  const auto address = net::ParseTcpAddress(text);
  if (!address)
    throw EVaCommError(msg::Fill(TranslateText(tcp_messages::kBadAddress).c_str(), {text}));
  address_ = address->Text();
  state_ = std::make_shared<State>();
  state_->address = *address;
  state_->until =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(TcpLink::kConnectTimeoutMs);
  state_->dispatch = std::move(dispatch);
  state_->done = std::move(done);
  try {
    // Detached: a name lookup cannot be interrupted, and nobody may wait for
    // it; the state it shares is all it touches.
    std::thread(Connecting, state_).detach();
  } catch (const std::system_error& e) {
    state_.reset();
    throw EVaCommError(msg::Fill(TranslateText(tcp_messages::kConnectFailed).c_str(),
                                 {address_, net::ErrorText(e.code().value())}));
  }
}

void TcpConnectAttempt::cancel() {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->cancelled = true;
  }
  state_->done = nullptr;
  state_.reset();
}

std::string TcpConnectAttempt::timedOutText() const {
  return msg::Fill(TranslateText(tcp_messages::kConnectFailed).c_str(),
                   {address_, net::ErrorText(net::TimedOutCode())});
}

}  // namespace kalvex
