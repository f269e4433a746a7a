// The simulator on a pseudo-terminal: a scanner opens slavePath() as its
// serial port and finds an ELM327 or a Kesta-mini (whichever its set-up line
// asks for) in front of the selected ECU type. Serves in its own thread with
// poll(); keeps its own descriptor of the slave open so the master never
// sees a hang-up (and never spins) between sessions. With `obd` set the
// adapter is the ELM327 in front of the generic OBD-II car instead, and each
// part of its reply leaves at the time the chip's model gives it (after the
// reply delay). POSIX only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/adapter_sim.h"

namespace kalvex::sim {

struct PtyServerOptions {
  int make = -1;
  int ecu = -1;
  int replyDelayMs = 0;              // before each reply (the ELM327 echo is immediate)
  bool announceInit = false;         // "SEARCHING..." / "BUS INIT: ...OK"
  std::optional<ObdSimOptions> obd;  // the generic OBD-II car instead of make and ECU
};

class PtyServer {
 public:
  // Null with `error` filled when no pseudo-terminal can be had.
  static std::unique_ptr<PtyServer> Start(const PtyServerOptions& options, std::string& error);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  const std::string& slavePath() const { return slavePath_; }

  // Thread-safe, at any time: the ECU type behind the adapter (cold-starts
  // the engine and restores the stored faults).
  void select(int make, int ecu);
  void setSilent(bool silent);
  void setReplyDelayMs(int ms);

  // Thread-safe snapshots for checks: the live-data replies sent (oldest
  // first), the lines received (CR-terminated chunks, at most 512 kept) and
  // the stored faults.
  std::vector<EncodedReply> history() const;
  std::vector<std::string> receivedLines() const;
  std::vector<FaultEntry> faults() const;
  AdapterSim::Mode mode() const;

  // Stops serving and closes both descriptors; idempotent.
  void stop();

 private:
  PtyServer(int master, int slave, int wakeRead, int wakeWrite, std::string path,
            const PtyServerOptions& options);
  void run();
  void wake();
  // The poll timeout until the next queued reply is due (-1: none queued);
  // wantWrite when one is due now.
  int nextDueMs(bool& wantWrite) const;
  // One read from the scanner side, fed to the adapter; false: stop serving.
  bool readFromScanner();
  // Under mutex_: the transcript of the lines received, and the replies queued.
  void noteReceived(const char* bytes, size_t n);
  void queueReplies(std::string now, std::vector<TimedText>& later);
  void writeDue();

  using TimePoint = std::chrono::steady_clock::time_point;
  struct Pending {
    TimePoint due;
    std::string bytes;
  };

  int master_, slave_, wakeRead_, wakeWrite_;
  std::string slavePath_;
  mutable std::mutex mutex_;
  std::unique_ptr<AdapterSim> sim_;
  int replyDelayMs_;
  std::deque<Pending> out_;
  std::deque<std::string> received_;
  std::string partialLine_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace kalvex::sim
