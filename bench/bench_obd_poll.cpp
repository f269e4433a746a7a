// Values per second of the generic OBD-II session polling the dashboard set
// (0C 0D 05 04 11 0F 0B 10) from the simulated two-ECU car on CAN 11-bit,
// over a pseudo-terminal: several PIDs a request with the answer count,
// against one PID a request without it. The simulated chip's timing is a
// pure function of the lines it gets, so the lines the session wrote are
// replayed through a second copy of it to get the time the adapter itself
// needs; the session's own share is what the measured run took beyond that
// (the pause before each request counted as the adapter's).
//
// Counters: values_per_s, ideal_values_per_s (what the adapter timing
// allows), of_ideal (measured / ideal, goal >= 0.95), requests.
// Run both and compare: multi / single should be 4 or more.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli/event_loop.h"
#include "link/va_comm.h"
#include "session/log_file.h"
#include "session/obd_session.h"
#include "sim/obd_car.h"
#include "sim/obd_elm327_sim.h"
#include "sim/pty_server.h"

namespace kalvex {
namespace {

constexpr Millis kPause = 20;
const std::vector<uint8_t> kDashboard = {0x0C, 0x0D, 0x05, 0x04, 0x11, 0x0F, 0x0B, 0x10};

// Keeps every line written, with the moment it went.
class RecordingLink : public SerialLink {
 public:
  explicit RecordingLink(SerialLink& inner) : inner_(inner) {}
  std::vector<std::string> lines;
  void openDevice(const std::string& p) override { inner_.openDevice(p); }
  void closeDevice() override { inner_.closeDevice(); }
  bool isOpen() const override { return inner_.isOpen(); }
  size_t readBytes(uint8_t* d, size_t c) override { return inner_.readBytes(d, c); }
  size_t writeBytes(const uint8_t* s, size_t c) override {
    std::string line(reinterpret_cast<const char*>(s), c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    return inner_.writeBytes(s, c);
  }
  void setDtr(bool on) override { inner_.setDtr(on); }
  void setRxHandler(RxHandler h) override { inner_.setRxHandler(std::move(h)); }
  void requestRxNotify() override { inner_.requestRxNotify(); }
  void setErrorHandler(ErrorHandler h) override { inner_.setErrorHandler(std::move(h)); }

 private:
  SerialLink& inner_;
};

// The adapter's own time for `lines[from..]`: each line's prompt time plus
// the pause before it, the chip brought to the same state by the lines before.
double AdapterMs(const std::vector<std::string>& lines, size_t from) {
  sim::ObdCar car;
  sim::ObdElm327Sim chip(car);
  double total = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string echo;
    std::vector<sim::TimedText> reply;
    chip.handleLine(lines[i], echo, reply);
    if (i >= from && !reply.empty()) total += reply.back().atMs + kPause;
  }
  return total;
}

void BM_ObdPoll(benchmark::State& state) {
  const bool multi = state.range(0) != 0;
  const Millis runMs = state.range(1);
  std::string error;
  sim::PtyServerOptions so;
  so.obd = sim::ObdSimOptions{};
  auto server = sim::PtyServer::Start(so, error);
  if (!server) {
    state.SkipWithError(("no pseudo-terminal: " + error).c_str());
    return;
  }
  double values = 0, seconds = 0, idealMs = 0, requests = 0;
  for (auto _ : state) {
    SteadyClock clock;
    cli::EventLoop loop(clock);
    TVaComm port(loop.dispatcher());
    RecordingLink link(port);
    LogFile log;
    ObdSession session(link, clock, log);
    port.setRxHandler([&](size_t n) { session.onRx(n); });
    ObdOptions o;
    o.protocol = ObdProtocol::Can11_500;
    o.poll = true;
    o.readCodes = o.readInfo = false;
    o.pids = kDashboard;
    o.pause = kPause;
    o.singlePid = !multi;
    std::optional<std::chrono::steady_clock::time_point> pollStart;
    size_t firstPoll = 0;
    uint64_t valuesAtStart = 0;
    session.onPhase = [&](ObdPhase p) {
      if (p == ObdPhase::Polling) {
        pollStart = std::chrono::steady_clock::now();
        firstPoll = link.lines.size();
      }
      if (p == ObdPhase::Done || p == ObdPhase::Failed) loop.quit();
    };
    std::chrono::steady_clock::time_point lastAnswer;
    size_t answered = 0;
    session.onValues = [&](const auto&) {
      lastAnswer = std::chrono::steady_clock::now();
      answered = link.lines.size();
    };
    session.start(server->slavePath(), o);
    loop.run([&] { return session.nextDeadlineMicros(); }, [&] { session.onTimer(); },
             clock.now() + 4000 + runMs);
    // Up to the last answer taken: the request still out is not counted.
    const auto end = lastAnswer;
    const size_t done = answered;
    session.stop();
    if (!pollStart) {
      state.SkipWithError("polling never started");
      return;
    }
    values += static_cast<double>(session.valuesRead() - valuesAtStart);
    seconds += std::chrono::duration<double>(end - *pollStart).count();
    std::vector<std::string> taken(link.lines.begin(), link.lines.begin() + done);
    idealMs += AdapterMs(taken, firstPoll);
    requests += static_cast<double>(done - firstPoll);
  }
  state.counters["values_per_s"] = values / seconds;
  state.counters["ideal_values_per_s"] = values / (idealMs / 1000.0);
  state.counters["of_ideal"] = (values / seconds) / (values / (idealMs / 1000.0));
  state.counters["requests"] = requests;
  server->stop();
}

BENCHMARK(BM_ObdPoll)
    ->ArgNames({"multi", "ms"})
    ->Args({1, 5000})
    ->Args({0, 5000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kalvex

BENCHMARK_MAIN();
