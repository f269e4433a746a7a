// The generic OBD-II session: an ELM327 set up for SAE J1979, the ECUs that
// answer found, each one's supported PIDs discovered, then codes, readiness,
// freeze frame and vehicle information read and the chosen PIDs polled,
// several to a request on CAN. GUI-free like SessionController: the port is
// a SerialLink, time a Clock, every pause and timeout a deadline the owner
// calls onTimer() for; it never sleeps. The user-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "adapter/elm327_obd.h"
#include "obd/current_data.h"
#include "obd/monitor_status.h"
#include "obd/supported_pids.h"
#include "protocol/clock.h"
#include "protocol/translate.h"

namespace kalvex {

class LogFile;
class SerialLink;

// The Kesta-mini cannot carry the generic mode: its set-up line opens one
// ECU by its physical address, so neither the functional request to every
// ECU (0x7DF, 0x33) nor the answers of several ECUs fit through it.
inline constexpr const char* kObdKestaRefused = QT_TRANSLATE_NOOP(
    "kalvex",
    "Адаптер Kesta-mini не поддерживает режим OBD-II: он связывается только с одним блоком "
    "управления по его адресу. Выберите адаптер ELM327.");

// The log marker of a request the generic session wrote (the adapter's
// lines keep LogMarker::Adapter), so that a log can be read back: each
// answer follows its request.
inline constexpr const char* kObdRequestMarker = " >>> ";

// Timeouts of the generic session, in milliseconds.
constexpr Millis kObdOpenPause = 300;         // after the port opened, before "AT Z"
constexpr Millis kObdSetupTimeout = 3000;     // one AT command (a reset takes about a second)
constexpr Millis kObdSearchTimeout = 30'000;  // the automatic search tries every protocol
constexpr Millis kObdRequestTimeout = 5000;   // one request, its prompt
constexpr Millis kObdPendingLimit = 5000;     // "response pending": the longest wait in all
constexpr int kObdMaxPidsPerRequest = 6;      // J1979 on CAN
constexpr uint8_t kObdLastBitmap = 0xC0;      // discovery asks no bitmap beyond this one
constexpr int kObdMissesBeforeDrop = 3;       // a PID nobody answers this often leaves the poll
constexpr Millis kObdSilentCarMs = 5000;      // no value this long: the car is away, PIDs kept
constexpr int kObdSilentRequestsLimit = 3;    // requests in a row without a prompt: adapter lost
// ECUs kept in the results: a car has a handful; ids beyond this (a peer
// answering under ever new ids) are noise and are not stored.
constexpr size_t kObdMaxEcus = ObdReplyAssembler::kMaxEcus;

enum class ObdPhase : uint8_t {
  Idle,
  SettingUp,    // AT Z ... AT SP n
  Connecting,   // "01 00": the automatic search, the first answer of the car
  Identifying,  // AT DPN, AT RV
  Discovering,  // 01 00, 01 20, ... per ECU
  Reading,      // codes, readiness, freeze frame, vehicle information, clear
  Polling,      // the chosen PIDs, round after round
  Done,         // everything asked was read (no polling asked)
  Failed,
};

enum class ObdFailure : uint8_t {
  None,
  Port,       // the port did not open or failed
  NoAdapter,  // no answer to the set-up
  NoCar,      // "UNABLE TO CONNECT", "BUS INIT: ...ERROR", no ECU answered
  AdapterLost,
};

enum class ObdCodeKind : uint8_t { Stored, Pending, Permanent };

struct ObdCode {
  uint32_t ecu = 0;
  ObdCodeKind kind = ObdCodeKind::Stored;
  std::string
      code;  // "P0301"; its words: DescribeDtc (obd/trouble_codes.h), in the reader's language
};

// One PID of one ECU as last read, with the least and greatest value seen.
struct ObdValue {
  uint32_t ecu = 0;
  uint8_t pid = 0;
  std::vector<uint8_t> bytes;   // the data bytes A.. as read
  std::optional<double> value;  // Number PIDs
  double min = 0, max = 0;      // valid once value was set
  Millis at = 0;                // when it was read
};

struct ObdFreezeFrame {
  uint32_t ecu = 0;
  std::string code;                 // the code that stored it (02 02 00), may be empty
  std::vector<obd::PidReply> pids;  // PIDs read from frame 0
};

struct ObdEcu {
  uint32_t id = 0;  // obd::Message::ecu
  obd::SupportedPids pids;
  uint8_t bitmapsAsked = 0;  // bit i: the bitmap 0x20*i was asked
  std::optional<obd::MonitorStatus> status;
  std::optional<std::string> vin;
  std::vector<std::string> calibrationIds;
  std::optional<std::string> name;
};

enum class ObdClear : uint8_t { NotAsked, Asked, Done, Refused, NoAnswer };

// What the session learnt; read it after the observers fire.
struct ObdResults {
  ObdProtocol protocol = ObdProtocol::Auto;                 // the one the adapter uses (AT DPN)
  bool protocolChosenByAdapter = false;                     // "A6": found by the automatic search
  std::optional<double> voltage;                            // AT RV
  std::vector<ObdEcu> ecus;                                 // in the order they first answered
  std::map<std::pair<uint32_t, uint8_t>, ObdValue> values;  // by ECU and PID
  bool codesRead = false;
  std::vector<ObdCode> codes;
  std::vector<ObdFreezeFrame> freezeFrames;
  ObdClear clear = ObdClear::NotAsked;
  std::optional<uint8_t> clearRefusal;  // the ECU's negative reply code when refused

  const ObdEcu* ecu(uint32_t id) const;
  bool mil() const;         // any ECU's lamp
  int storedCount() const;  // the ECUs' counts added up
};

// A column of the generic CSV: one PID, of one ECU where several answer it.
struct ObdColumn {
  uint8_t pid = 0;
  std::optional<uint32_t> ecu;  // set when the PID has its own column per ECU
  std::string name;             // "OBD_0C", "OBD_0D_7E9"
};

// "7E8", "18DAF110", "10": how the ECU is named in columns and lines.
std::string ObdEcuText(uint32_t ecu);

struct ObdOptions {
  ObdProtocol protocol = ObdProtocol::Auto;
  std::vector<uint8_t> pids;            // to poll; empty: every supported PID with a number value
  bool poll = false;                    // keep polling once everything else was read
  bool readCodes = true;                // 01 01, 03, 07, 0A, freeze frame
  bool readInfo = true;                 // 09 02, 09 04, 09 0A
  bool clear = false;                   // 04 after the first read, then read again
  int pollRounds = 0;                   // with `poll`: done after this many rounds (0: never)
  bool wordPids = false;                // poll the supported PIDs told in words too (pids empty)
  Millis codesEvery = 0;                // while polling, read the codes again this often (0: never)
  bool singlePid = false;               // one PID a request, no answer count, from the start
  Millis pause = kDefaultRequestPause;  // before each request (20..1000; K-line at least 55)
  // The port opens through beginOpen: a Wi-Fi adapter's name lookup and
  // connect go on behind the window, which never waits for them; the session
  // runs (SettingUp) meanwhile and gives the open up after kOpenLimitMs.
  bool openInBackground = false;
};

class ObdSession {
 public:
  ObdSession(SerialLink& port, const Clock& clock, LogFile& log);
  ~ObdSession();
  ObdSession(const ObdSession&) = delete;
  ObdSession& operator=(const ObdSession&) = delete;

  // Opens the port and starts the set-up; a port that does not open fails
  // the session at once (failure() Port, failureText() the reason), or, with
  // openInBackground and an open that finishes later, when it does.
  void start(const std::string& portPath, const ObdOptions& options);
  void stop();  // closes the port (or gives up its open); results stay
  // The port is still being opened (a Wi-Fi adapter's connect).
  bool connecting() const { return openDue_.has_value(); }
  void setLogEnabled(bool on) { logEnabled_ = on; }
  // While reading or polling: the codes of all three kinds, readiness and
  // the freeze frame read again between two requests; with `clear` service
  // 04 first, then the same read. False (nothing asked) in any other phase.
  bool requestCodes(bool clear);

  void onRx(size_t count);  // the port's bytes-received notification
  void onPortError(const std::string& message);
  std::optional<Micros> nextDeadlineMicros() const;
  void onTimer();  // runs everything due at the clock's now

  ObdPhase phase() const { return phase_; }
  bool running() const {
    return phase_ != ObdPhase::Idle && phase_ != ObdPhase::Done && phase_ != ObdPhase::Failed;
  }
  ObdFailure failure() const { return failure_; }
  const std::string& failureText() const { return failureText_; }  // Russian, marked
  const ObdResults& results() const { return results_; }
  // The PIDs being polled and the CSV columns they make (fixed once polling starts).
  const std::vector<uint8_t>& pollPids() const { return pollPids_; }
  const std::vector<ObdColumn>& columns() const { return columns_; }
  // Whether requests may name several PIDs and carry the answer count;
  // false once the adapter refused either.
  bool multiPid() const { return multiPid_; }
  uint64_t requestsWritten() const { return requestsWritten_; }
  uint64_t valuesRead() const { return valuesRead_; }

  // Observers (may be empty), called on the session's thread.
  std::function<void(ObdPhase)> onPhase;  // each phase change
  // After a poll answer set values (the keys of the values set).
  std::function<void(const std::vector<std::pair<uint32_t, uint8_t>>&)> onValues;
  std::function<void()> onCodes;     // after each complete read of the codes
  std::function<void()> onIdentity;  // protocol, voltage, ECUs, VIN ... changed
  // An open that went on in the background ended, either way: new deadlines.
  std::function<void()> onOpenFinished;

 private:
  enum class Purpose : uint8_t {
    Setup,
    Connect,
    DescribeProtocol,
    Voltage,
    Bitmap,
    MonitorStatus,
    StoredCodes,
    PendingCodes,
    PermanentCodes,
    FreezeFrameCode,
    FreezeFrameBitmap,
    FreezeFramePid,
    Vin,
    CalibrationIds,
    EcuNames,
    Clear,
    Poll,
  };
  struct Request {
    Purpose purpose;
    std::vector<uint8_t> bytes;  // empty for AT commands
    std::string text;            // as written, without the CR
    int expected = 0;            // the answer count appended (0: none)
  };

  void setPhase(ObdPhase p);
  void fail(ObdFailure why, const std::string& text);
  void openFinished(uint64_t attempt, const std::string& error);
  void send(Request r, Millis pause);
  void writeNow();
  void sendNext();
  void handleLine(const ObdLine& line);
  // At the prompt or a timeout; `giveUpWaiting` when the wait for a
  // pending answer ran out.
  void finishReply(bool timedOut, bool giveUpWaiting = false);
  void handleReply(const Request& r, const ObdReply& reply);
  // One step of handleReply each, by the request's purpose.
  void stepSetup();
  void stepConnect(const ObdReply& reply);
  void stepDescribeProtocol();
  void stepVoltage();
  void stepBitmap(const ObdReply& reply);
  void readMonitorStatus(const ObdReply& reply);
  void readFreezeFrameCode(const ObdReply& reply);
  void readFreezeFrameBitmap(const ObdReply& reply);
  void readFreezeFramePid(const ObdReply& reply);
  void readVehicleInfo(const Request& r, const ObdReply& reply);
  void readClearReply(const ObdReply& reply);
  void handleBitmaps(const ObdReply& reply);
  void handlePoll(const Request& r, const ObdReply& reply);
  // The values of one poll answer into the results; the (ECU, PID) keys
  // that changed. `answered` gets the PIDs answered.
  std::vector<std::pair<uint32_t, uint8_t>> storePollValues(const Request& r, const ObdReply& reply,
                                                            Millis now,
                                                            std::set<uint8_t>& answered);
  void endPollRound();
  void handleCodes(const Request& r, const ObdReply& reply);
  void queueRequest(Purpose p, std::initializer_list<uint8_t> bytes);
  // The monitor status, then the stored, pending and permanent codes.
  void queueCodeReads();
  void queueReading();
  void queueRereadAfterClear();
  void planPolling();
  Request nextPollRequest();
  std::optional<Request> nextBitmapRequest();
  // The ECU's entry, made on its first answer; nullptr once kObdMaxEcus are known.
  ObdEcu* ecuEntry(uint32_t id);
  std::vector<obd::Message> positive(const ObdReply& reply, uint8_t service) const;
  bool isCan() const;
  Millis pauseFor() const;
  void logLine(const std::string& text);

  SerialLink& port_;
  const Clock& clock_;
  LogFile& log_;
  bool logEnabled_ = false;
  bool logBroken_ = false;
  ObdOptions options_;
  ObdPhase phase_ = ObdPhase::Idle;
  ObdFailure failure_ = ObdFailure::None;
  std::string failureText_;
  ObdResults results_;

  ObdLineCutter cutter_;
  ObdReplyAssembler assembler_{ObdFraming::Unknown};
  std::vector<ObdLine> setupLines_;  // the lines of an AT command's answer
  std::vector<std::string> setup_;
  size_t setupStep_ = 0;
  ObdFraming framing_ = ObdFraming::Unknown;

  std::deque<Request> queue_;       // reading tasks still to do
  std::optional<Request> current_;  // written, its answer awaited
  std::optional<Request> toWrite_;  // waiting out its pause
  Micros writeDue_ = 0;
  uint64_t openAttempt_ = 0;          // a late report of an abandoned open is ignored
  std::optional<Micros> openDue_;     // the open's limit while it is under way
  std::optional<Micros> answerDue_;   // the prompt's deadline
  std::optional<Micros> pendingDue_;  // "response pending": the end of the wait
  std::vector<uint32_t> pendingEcus_;
  ObdReply collected_;  // messages of the current request so far (pending waits)
  int silentRequests_ = 0;
  bool cleared_ = false;
  bool firstBitmapAsked_ = false;

  bool multiPid_ = true;
  std::vector<uint8_t> pollPids_;
  std::vector<ObdColumn> columns_;
  std::map<uint8_t, int> misses_;
  size_t pollAt_ = 0;
  int roundsDone_ = 0;
  std::set<uint8_t> roundAnswered_;  // PIDs answered in the round under way
  bool everAnswered_ = false;        // any poll answer with a value yet
  Millis codesReadAt_ = 0;
  uint64_t requestsWritten_ = 0;
  uint64_t valuesRead_ = 0;
};

}  // namespace kalvex
