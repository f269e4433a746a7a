// A SerialLink whose far end is the test: it records every write with the
// clock time, and delivers scripted adapter bytes with the notification
// contract of the real port (no further notification after a handler that
// read nothing, until requestRxNotify()). Header-only.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "protocol/clock.h"

namespace kalvex::test {

class FakePort : public SerialLink {
 public:
  struct Write {
    Millis at;
    std::vector<uint8_t> bytes;
  };

  explicit FakePort(const Clock& clock) : clock_(clock) {}

  // Scripting.
  std::optional<std::string> failOpenWith;  // openDevice throws this message
  std::vector<std::string> openedPaths;
  std::vector<Write> writes;
  std::vector<bool> dtrChanges;
  int closeCount = 0;
  size_t maxReadPerCall = SIZE_MAX;  // a port that hands out bytes in parts
  // beginOpen waits for finishOpen(), as a Wi-Fi adapter's connect does.
  bool openLater = false;
  int cancelledOpens = 0;

  bool openPending() const { return static_cast<bool>(openDone_); }
  // The pending open ends: opened (empty error) or failed with `error`.
  void finishOpen(const std::string& error = {}) {
    OpenDone done = std::move(openDone_);
    openDone_ = nullptr;
    if (!done) return;
    if (error.empty()) {
      open_ = true;
      armed_ = true;
      waiting_.clear();
      openedPaths.push_back(pendingPath_);
    }
    done(error);
  }

  // The adapter sends bytes: one bytes-received event when notifying is armed.
  void deliver(const std::vector<uint8_t>& bytes) {
    waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
    pump();
  }
  void deliver(const std::string& s) { deliver(std::vector<uint8_t>(s.begin(), s.end())); }
  // Runs pending notifications (call after the controller had its turn).
  void pump() {
    for (int guard = 0; guard < 10000 && open_ && armed_ && !waiting_.empty() && rx_; ++guard) {
      const size_t before = waiting_.size();
      if (announceOverride_) {
        rx_(*announceOverride_);
      } else {
        rx_(before);
      }
      if (waiting_.size() == before) armed_ = false;  // handler read nothing
    }
  }
  // Announce this count instead of the true one (the announced count must
  // never be trusted).
  void announce(std::optional<size_t> count) { announceOverride_ = count; }
  size_t waitingBytes() const { return waiting_.size(); }
  bool notifyArmed() const { return armed_; }

  // SerialLink
  void openDevice(const std::string& path) override {
    if (failOpenWith) throw EVaCommError(*failOpenWith);
    if (open_) throw EVaCommError("Can't perform this operation while port is open");
    openedPaths.push_back(path);
    open_ = true;
    armed_ = true;
    waiting_.clear();
  }
  void beginOpen(const std::string& path, OpenDone done) override {
    if (!openLater) {
      SerialLink::beginOpen(path, std::move(done));
      return;
    }
    pendingPath_ = path;
    openDone_ = std::move(done);
  }
  void cancelOpen() override {
    if (openDone_) ++cancelledOpens;
    openDone_ = nullptr;
  }
  std::string expireOpen() override {
    cancelOpen();
    return "no answer in time";
  }
  void closeDevice() override {
    if (!open_) return;
    open_ = false;
    ++closeCount;
    waiting_.clear();
  }
  bool isOpen() const override { return open_; }
  size_t readBytes(uint8_t* dst, size_t capacity) override {
    if (!open_) return 0;
    size_t n = std::min({capacity, waiting_.size(), maxReadPerCall});
    for (size_t i = 0; i < n; ++i) {
      dst[i] = waiting_.front();
      waiting_.pop_front();
    }
    return n;
  }
  size_t writeBytes(const uint8_t* src, size_t count) override {
    if (!open_) return 0;
    writes.push_back({clock_.now(), std::vector<uint8_t>(src, src + count)});
    return count;
  }
  void setDtr(bool on) override { dtrChanges.push_back(on); }
  void setRxHandler(RxHandler handler) override { rx_ = std::move(handler); }
  void requestRxNotify() override { armed_ = true; }
  void setErrorHandler(ErrorHandler handler) override { err_ = std::move(handler); }
  void failFromThread(const std::string& message) {
    if (err_) err_(message);
  }

 private:
  const Clock& clock_;
  bool open_ = false;
  bool armed_ = true;
  std::deque<uint8_t> waiting_;
  std::optional<size_t> announceOverride_;
  RxHandler rx_;
  ErrorHandler err_;
  OpenDone openDone_;
  std::string pendingPath_;
};

}  // namespace kalvex::test
