// The generic OBD-II mode of kalvex-cli:
//
//   kalvex-cli obd info --port PORT [--protocol P] [--log]
//   kalvex-cli monitor --obd --port PORT [--protocol P] [--pids 0C,0D] [--csv FILE]
//                      [--duration S] [--pause MS] [--log] [--faults [--clear [--yes]]]
//
// info reads everything once and prints it; monitor polls the chosen PIDs
// and writes the CSV rows the makers' monitor writes (time, then a column
// per PID, per ECU where two answer it), --faults prints the codes each time
// they change. Exit status as the makers' monitor: 0 read, 1 the port would
// not open or an output failed, 2 bad usage, 3 the adapter or the car never
// answered, 4 the port failed during the run.
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "adapter/elm327_obd.h"
#include "cli/commands.h"
#include "cli/csv_output.h"
#include "cli/event_loop.h"
#include "cli/log_replay.h"
#include "cli/stop_signals.h"
#include "link/link_factory.h"
#include "obd/ecu_name.h"
#include "obd/negative_reply.h"
#include "obd/pid_table.h"
#include "obd/trouble_codes.h"
#include "protocol/translate.h"
#include "protocol/utf8_path.h"
#include "session/log_file.h"
#include "session/obd_history.h"
#include "session/obd_log_replay.h"
#include "session/obd_session.h"

namespace kalvex::cli {
namespace {

constexpr Millis kCodesEvery = 10'000;  // monitor --faults: the codes read again this often

const char* const kProtocolLine = QT_TRANSLATE_NOOP("kalvex", "Протокол: %1");
const char* const kFoundBySearch = QT_TRANSLATE_NOOP("kalvex", "(найден автоматическим поиском)");
const char* const kVoltageLine = QT_TRANSLATE_NOOP("kalvex", "Напряжение адаптера: %1 В");
const char* const kEcusLine = QT_TRANSLATE_NOOP("kalvex", "Ответившие блоки: %1");
const char* const kVinLine = QT_TRANSLATE_NOOP("kalvex", "VIN (%1): %2");
const char* const kCalibrationLine = QT_TRANSLATE_NOOP("kalvex", "Калибровка (%1): %2");
const char* const kEcuNameLine = QT_TRANSLATE_NOOP("kalvex", "Имя блока (%1): %2");
const char* const kMilOn =
    QT_TRANSLATE_NOOP("kalvex", "Лампа MIL: горит, подтверждённых кодов: %1");
const char* const kMilOff =
    QT_TRANSLATE_NOOP("kalvex", "Лампа MIL: не горит, подтверждённых кодов: %1");
const char* const kNoCodes = QT_TRANSLATE_NOOP("kalvex", "Коды неисправностей: нет");
const char* const kCodesHeading = QT_TRANSLATE_NOOP("kalvex", "Коды неисправностей:");
const char* const kStored = QT_TRANSLATE_NOOP("kalvex", "сохранённый");
const char* const kPending = QT_TRANSLATE_NOOP("kalvex", "ожидающий");
const char* const kPermanent = QT_TRANSLATE_NOOP("kalvex", "постоянный");
const char* const kReadinessHeading = QT_TRANSLATE_NOOP("kalvex", "Готовность систем (%1):");
const char* const kReady = QT_TRANSLATE_NOOP("kalvex", "готово");
const char* const kNotReady = QT_TRANSLATE_NOOP("kalvex", "не готово");
const char* const kFreezeFrameHeading = QT_TRANSLATE_NOOP("kalvex", "Стоп-кадр (%1), код %2:");
const char* const kPidsHeading = QT_TRANSLATE_NOOP("kalvex", "Параметры (%1):");
const char* const kCleared = QT_TRANSLATE_NOOP("kalvex", "Коды неисправностей стёрты");
const char* const kClearRefused =
    QT_TRANSLATE_NOOP("kalvex", "Блок управления отказался стереть коды: %1");
const char* const kClearUnanswered =
    QT_TRANSLATE_NOOP("kalvex", "Ни один блок не ответил на запрос стирания кодов");
const char* const kClearQuestion = QT_TRANSLATE_NOOP(
    "kalvex",
    "Стереть коды неисправностей и стоп-кадр? Лампа MIL погаснет, готовность систем будет "
    "сброшена. [y/N] ");
const char* const kClearNeedsYes = QT_TRANSLATE_NOOP(
    "kalvex", "Стирание кодов требует подтверждения: запустите в терминале или добавьте --yes");
const char* const kClearCancelled = QT_TRANSLATE_NOOP("kalvex", "Стирание кодов отменено");
const char* const kNothingToPoll = QT_TRANSLATE_NOOP(
    "kalvex", "Опрашивать нечего: блоки не поддерживают ни одного из выбранных параметров");

std::string T(const char* text) { return TranslateText(text); }
std::string F(const char* pattern, std::initializer_list<std::string> args) {
  return FormatText(TranslateText(pattern), args);
}

bool StdinIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return ::isatty(STDIN_FILENO) != 0;
#endif
}

// The question before a clear; true when the answer is yes.
bool AskToClear() {
  std::fputs(T(kClearQuestion).c_str(), stderr);
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "да" || answer == "д";
}

const char* KindText(ObdCodeKind k) {
  return k == ObdCodeKind::Stored ? kStored : k == ObdCodeKind::Pending ? kPending : kPermanent;
}

// "P0301 сохранённый, ЭБУ двигателя (7E8): Пропуски зажигания в цилиндре 1"
std::vector<std::string> CodeLines(const ObdResults& r, obd::Lang lang) {
  std::vector<std::string> out;
  for (const ObdCode& c : r.codes)
    out.push_back(c.code + " " + T(KindText(c.kind)) + ", " + obd::EcuName(c.ecu, lang) + ": " +
                  obd::DescribeDtc(c.code, lang));
  return out;
}

std::string ProtocolText(const ObdResults& r) {
  std::string p = ObdProtocolOf(r.protocol).name;
  if (r.protocolChosenByAdapter) p += " " + T(kFoundBySearch);
  return F(kProtocolLine, {p});
}

std::string VoltageText(double v) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", v);
  return F(kVoltageLine, {text});
}

std::string PidLine(uint8_t pid, std::span<const uint8_t> bytes, obd::Lang lang) {
  char head[8];
  std::snprintf(head, sizeof head, "  %02X ", pid);
  const obd::Pid* row = obd::FindPid(pid);
  if (!row) return head + std::string("?");
  return head + std::string(obd::Pick(row->caption, lang)) + ": " +
         obd::FormatPidValue(*row, bytes, lang);
}

void PrintInfo(const ObdResults& r, obd::Lang lang, std::string& out) {
  auto line = [&out](const std::string& s) { out += s + "\n"; };
  line(ProtocolText(r));
  if (r.voltage) line(VoltageText(*r.voltage));
  std::string ecus;
  for (const ObdEcu& e : r.ecus) ecus += (ecus.empty() ? "" : ", ") + obd::EcuName(e.id, lang);
  line(F(kEcusLine, {ecus}));
  for (const ObdEcu& e : r.ecus) {
    const std::string who = obd::EcuName(e.id, lang);
    if (e.vin) line(F(kVinLine, {who, *e.vin}));
    for (const std::string& c : e.calibrationIds) line(F(kCalibrationLine, {who, c}));
    if (e.name) line(F(kEcuNameLine, {who, *e.name}));
  }
  line(F(r.mil() ? kMilOn : kMilOff, {std::to_string(r.storedCount())}));
  const std::vector<std::string> codes = CodeLines(r, lang);
  if (codes.empty()) {
    line(T(kNoCodes));
  } else {
    line(T(kCodesHeading));
    for (const std::string& c : codes) line("  " + c);
  }
  for (const ObdEcu& e : r.ecus) {
    if (!e.status) continue;
    line(F(kReadinessHeading, {obd::EcuName(e.id, lang)}));
    for (const obd::Readiness& m : e.status->monitors)
      if (m.supported)
        line("  " + std::string(obd::Pick(m.name, lang)) + ": " +
             T(m.complete ? kReady : kNotReady));
  }
  for (const ObdFreezeFrame& f : r.freezeFrames) {
    line(F(kFreezeFrameHeading, {obd::EcuName(f.ecu, lang), f.code}));
    for (const obd::PidReply& p : f.pids) line(PidLine(p.pid, p.bytes, lang));
  }
  for (const ObdEcu& e : r.ecus) {
    bool any = false;
    for (const auto& [key, v] : r.values) {
      if (key.first != e.id) continue;
      if (!any) line(F(kPidsHeading, {obd::EcuName(e.id, lang)}));
      any = true;
      line(PidLine(v.pid, v.bytes, lang));
    }
  }
}

// The adapter or the car never answered (the exit status 3).
bool NeverAnswered(ObdFailure f) {
  return f == ObdFailure::NoAdapter || f == ObdFailure::NoCar || f == ObdFailure::AdapterLost;
}

// One run of the session on the event loop; returns the exit status of the
// link part (-1 when the session ran), the failure said on stderr.
struct Run {
  const char* command;
  SteadyClock clock;
  EventLoop loop{clock};
  LogFile log;
  PortLink port{loop.dispatcher()};
  ObdSession session{port, clock, log};
  bool portFailed = false;

  explicit Run(const char* name) : command(name) {
    port.setRxHandler([this](size_t n) { session.onRx(n); });
    port.setErrorHandler([this](const std::string& message) {
      portFailed = session.running();
      session.onPortError(message);
      loop.quit();
    });
    session.onPhase = [this](ObdPhase p) {
      if (p == ObdPhase::Done || p == ObdPhase::Failed) loop.post([this] { loop.quit(); });
    };
  }
  void go(std::optional<Millis> until) {
    loop.run([this] { return session.nextDeadlineMicros(); }, [this] { session.onTimer(); }, until);
  }
  void sayFailure() const {
    if (session.failure() == ObdFailure::None) return;
    std::fprintf(stderr, "kalvex-cli %s: %s\n", command,
                 TranslateText(session.failureText()).c_str());
  }
};

}  // namespace

int RunObdInfo(const ObdInfoOptions& o) {
  const obd::Lang lang = o.english ? obd::Lang::En : obd::Lang::Ru;
  IgnoreBrokenPipe();
  int status = 0;
  std::string out;
  {
    Run run("obd");
    LoopStopSignals signals(run.loop);
    ObdOptions options;
    options.protocol = static_cast<ObdProtocol>(o.protocol);
    options.poll = true;
    options.pollRounds = 1;
    options.wordPids = true;
    run.session.setLogEnabled(o.log);
    run.session.start(o.port, options);
    if (run.session.failure() == ObdFailure::Port) {
      run.sayFailure();
      return 1;
    }
    run.go(std::nullopt);
    run.session.stop();
    run.port.closeDevice();
    const ObdFailure f = run.session.failure();
    run.sayFailure();
    if (run.portFailed)
      status = 4;
    else if (NeverAnswered(f) && run.session.results().ecus.empty())
      status = 3;
    if (status == 0 || !run.session.results().ecus.empty())
      PrintInfo(run.session.results(), lang, out);
  }
  std::fputs(out.c_str(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return 1;
  return status;
}

namespace {

// --clear asks first on a terminal unless --yes; an answer of no ends the run.
std::optional<int> RefuseObdMonitor(const MonitorOptions& o) {
  if (o.adapter == 1) {
    std::fprintf(stderr, "kalvex-cli monitor: %s\n", T(kObdKestaRefused).c_str());
    return 2;
  }
  if (o.clear && !o.yes) {
    if (!StdinIsTerminal()) {
      std::fprintf(stderr, "kalvex-cli monitor: %s\n", T(kClearNeedsYes).c_str());
      return 2;
    }
    if (!AskToClear()) {
      std::fprintf(stderr, "kalvex-cli monitor: %s\n", T(kClearCancelled).c_str());
      return 0;
    }
  }
  return std::nullopt;
}

ObdOptions MonitorSessionOptions(const MonitorOptions& o) {
  ObdOptions options;
  options.protocol = static_cast<ObdProtocol>(o.obdProtocol);
  options.pids = o.pids;
  options.poll = true;
  options.pause = o.pause;
  options.readInfo = false;
  options.readCodes = o.faults;
  options.clear = o.clear;
  options.codesEvery = o.faults ? kCodesEvery : 0;
  return options;
}

bool Flushed(FILE* f) { return std::fflush(f) == 0 && !std::ferror(f); }

// One monitor run: the session's phases, values and codes go out as CSV rows
// and fault lists until the run ends or an output fails.
class ObdMonitor {
 public:
  ObdMonitor(const MonitorOptions& o, FILE* csv)
      : o_(o), csv_(csv), lang_(o.english ? obd::Lang::En : obd::Lang::Ru) {
    session_.setLogEnabled(o.log);
    start_ = run_.clock.now();
    session_.onPhase = [this](ObdPhase p) { onPhase(p); };
    session_.onValues = [this](const std::vector<std::pair<uint32_t, uint8_t>>&) { onValues(); };
    session_.onCodes = [this] { onCodes(); };
  }

  int run() {
    // The signal watcher goes after the session and its port.
    LoopStopSignals signals(run_.loop);
    session_.start(o_.port, MonitorSessionOptions(o_));
    if (session_.failure() == ObdFailure::Port) {
      run_.sayFailure();
      return 1;
    }
    std::optional<Millis> until;
    if (o_.durationS) until = start_ + static_cast<Millis>(*o_.durationS * 1000.0 + 0.5);
    run_.go(until);
    session_.stop();
    run_.port.closeDevice();
    run_.sayFailure();
    const bool read = session_.valuesRead() > 0 || session_.results().codesRead;
    return outputFailed_ ? 1 : run_.portFailed ? 4 : read ? 0 : 3;
  }

 private:
  void failOutput(const char* what) {
    if (outputFailed_) return;
    outputFailed_ = true;
    std::fprintf(stderr, "kalvex-cli monitor: cannot write %s: %s\n", what, std::strerror(errno));
    run_.loop.quit();
  }

  void onPhase(ObdPhase p) {
    if (p == ObdPhase::Polling && csv_ && !headerWritten_) {
      headerWritten_ = true;
      std::fputs(ObdCsvHeader(session_.columns()).c_str(), csv_);
      if (!Flushed(csv_)) failOutput("the CSV rows");
    }
    if (p == ObdPhase::Polling && session_.columns().empty())
      std::fprintf(stderr, "kalvex-cli monitor: %s\n", T(kNothingToPoll).c_str());
    if (p == ObdPhase::Done || p == ObdPhase::Failed) run_.loop.post([this] { run_.loop.quit(); });
  }

  void onValues() {
    if (!csv_ || outputFailed_) return;
    const std::string row =
        ObdCsvRow(run_.clock.now() - start_, session_.columns(), session_.results());
    std::fputs(row.c_str(), csv_);
    if (!Flushed(csv_)) failOutput("the CSV rows");
  }

  // The outcome of --clear, once it is known.
  void showClear(const ObdResults& r) {
    if (!o_.clear || r.clear == ObdClear::NotAsked || r.clear == ObdClear::Asked ||
        shownClear_ == r.clear)
      return;
    shownClear_ = r.clear;
    if (r.clear == ObdClear::Done) std::printf("%s\n", T(kCleared).c_str());
    if (r.clear == ObdClear::Refused)
      std::printf(
          "%s\n",
          F(kClearRefused, {obd::NegativeReplyName(r.clearRefusal.value_or(0), lang_)}).c_str());
    if (r.clear == ObdClear::NoAnswer) std::printf("%s\n", T(kClearUnanswered).c_str());
  }

  void onCodes() {
    if (!o_.faults || outputFailed_) return;
    const ObdResults& r = session_.results();
    showClear(r);
    std::vector<std::string> lines = CodeLines(r, lang_);
    if (shownCodes_ == lines) return;
    shownCodes_ = lines;
    std::printf("%s\n", F(r.mil() ? kMilOn : kMilOff, {std::to_string(r.storedCount())}).c_str());
    if (lines.empty()) std::printf("%s\n", T(kNoCodes).c_str());
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    std::printf("\n");
    if (!Flushed(stdout)) failOutput("the fault list");
  }

  const MonitorOptions& o_;
  FILE* const csv_;
  const obd::Lang lang_;
  Run run_{"monitor"};
  ObdSession& session_ = run_.session;
  Millis start_ = 0;
  bool outputFailed_ = false;
  bool headerWritten_ = false;
  std::optional<std::vector<std::string>> shownCodes_;
  std::optional<ObdClear> shownClear_;
};

}  // namespace

int RunObdMonitor(const MonitorOptions& o) {
  if (const std::optional<int> refused = RefuseObdMonitor(o)) return *refused;
  FILE* csv = nullptr;
  if (const int failed = OpenCsvOutput(o, csv)) return failed;
  IgnoreBrokenPipe();
  int status = 0;
  {
    ObdMonitor monitor(o, csv);
    status = monitor.run();
  }
  CloseCsvOutput(csv);
  return status;
}

int RunObdReplay(const ReplayOptions& o) {
  // Before the log is read: a CSV over it would leave no log behind.
  if (!o.csvPath.empty() && SameFile(o.logPath, o.csvPath)) {
    std::fprintf(stderr, "kalvex-cli replay: --csv names the log itself\n");
    return 2;
  }
  FILE* in = OpenFileUtf8(o.logPath, "rb");
  if (!in) {
    std::fprintf(stderr, "kalvex-cli replay: cannot read %s: %s\n", o.logPath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  ObdLogReplay replay;
  // Lines longer than any the session writes are cut, never held whole.
  std::string line;
  bool cut = false;
  for (int c; (c = std::fgetc(in)) != EOF;) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      replay.addLine(line);
      line.clear();
      cut = false;
    } else if (line.size() < 4096) {
      line.push_back(static_cast<char>(c));
    } else if (!cut) {
      cut = true;
    }
  }
  const bool readFailed = std::ferror(in) != 0;
  std::fclose(in);
  if (!line.empty()) replay.addLine(line);
  replay.finish();
  if (readFailed) {
    std::fprintf(stderr, "kalvex-cli replay: cannot read %s\n", o.logPath.c_str());
    return 1;
  }
  if (replay.rows().empty()) {
    std::fprintf(stderr, "kalvex-cli replay: %s holds no generic OBD-II values\n",
                 o.logPath.c_str());
    return 1;
  }
  FILE* out = o.csvPath.empty() ? stdout : OpenFileUtf8(o.csvPath, "wb");
  if (!out) {
    std::fprintf(stderr, "kalvex-cli replay: cannot write %s: %s\n", o.csvPath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  const std::vector<ObdColumn> columns = replay.columns();
  std::string text = ObdCsvHeader(columns);
  // Each column keeps its last value until a row reads it again.
  std::vector<std::optional<double>> cells(columns.size());
  for (const ObdLogReplay::Row& r : replay.rows()) {
    for (size_t i = 0; i < columns.size(); ++i) {
      const auto it = r.values.find({columns[i].ecu.value_or(0), columns[i].pid});
      if (it != r.values.end()) cells[i] = it->second;
    }
    AppendObdCsvRow(text, static_cast<Millis>(r.seconds) * 1000, cells);
  }
  std::fputs(text.c_str(), out);
  const bool written = std::fflush(out) == 0 && !std::ferror(out);
  if (out != stdout) std::fclose(out);
  if (replay.skipped() > 0)
    std::fprintf(stderr, "kalvex-cli replay: %d lines skipped (no log line, or unreadable)\n",
                 replay.skipped());
  if (!written) {
    std::fprintf(stderr, "kalvex-cli replay: cannot write the CSV\n");
    return 1;
  }
  return 0;
}

}  // namespace kalvex::cli
