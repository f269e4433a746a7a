// Polled requests per second of a whole ELM327 session against an instant
// adapter on a pseudo-terminal, and the CPU time the session spends per
// request. The pause of more than 200 ms before every write sets the
// ceiling: 1000 / (200 + reply time) requests per second. A spinning wait
// would burn 200 ms of CPU per request; waiting on deadlines burns almost
// none.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>

#include "../tests/support/adapter_peer.h"
#include "../tests/support/fake_view.h"
#include "cli/event_loop.h"
#include "link/va_comm.h"
#include "session/log_file.h"
#include "session/session_controller.h"

namespace kalvex {
namespace {

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Records when each line was handed to the port.
class TimedLink : public SerialLink {
 public:
  TimedLink(SerialLink& inner, const Clock& clock) : inner_(inner), clock_(clock) {}
  Millis lastWrite = 0;
  std::chrono::steady_clock::time_point lastWriteExact;
  void openDevice(const std::string& p) override { inner_.openDevice(p); }
  void closeDevice() override { inner_.closeDevice(); }
  bool isOpen() const override { return inner_.isOpen(); }
  size_t readBytes(uint8_t* d, size_t c) override { return inner_.readBytes(d, c); }
  size_t writeBytes(const uint8_t* s, size_t c) override {
    lastWrite = clock_.now();
    lastWriteExact = std::chrono::steady_clock::now();
    return inner_.writeBytes(s, c);
  }
  void setDtr(bool on) override { inner_.setDtr(on); }
  void setRxHandler(RxHandler h) override { inner_.setRxHandler(std::move(h)); }
  void requestRxNotify() override { inner_.requestRxNotify(); }
  void setErrorHandler(ErrorHandler h) override { inner_.setErrorHandler(std::move(h)); }

 private:
  SerialLink& inner_;
  const Clock& clock_;
};

void BM_SessionRate(benchmark::State& state) {
  const int requests = static_cast<int>(state.range(0));
  const std::string reply =
      "61 01 00 00 00 00 00 00 00 00 7B 00 0F 14 00 00 00 00 00 3C A0 00 F4 01 64 00";
  test::AdapterPeer peer(
      test::ElmAnswer([&](const std::string& r) { return r == "21 01" ? reply : std::string(); }));
  if (!peer.ok()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  // The user-interface thread: closures posted by the port, and deadlines.
  SteadyClock clock;
  cli::EventLoop loop(clock);
  TVaComm port(loop.dispatcher());
  TimedLink link(port, clock);
  test::FakeView view;
  view.make = 0;
  view.ecu = 0;
  view.port = peer.path();
  LogFile log;
  SessionController ctl(view, link, clock, log);
  port.setRxHandler([&](size_t n) { ctl.VaComm1RxChar(n); });
  port.setErrorHandler([&](const std::string& msg) { ctl.onPortError(msg); });

  int accepted = 0;
  double replySum = 0;
  std::chrono::steady_clock::time_point firstAt, lastAt;
  double cpuThread0 = 0, cpuProcess0 = 0;
  ctl.onResponseAccepted = [&](const ResponseBytes&) {
    const auto now = std::chrono::steady_clock::now();
    if (accepted > 0)
      replySum += std::chrono::duration<double, std::milli>(now - link.lastWriteExact).count();
    if (accepted == 0) {
      firstAt = now;
      cpuThread0 = ThreadCpuMs();
      cpuProcess0 = ProcessCpuMs();
    }
    lastAt = now;
    if (++accepted > requests) loop.quit();
  };

  for (auto _ : state) {
    ctl.start();
    loop.run([&] { return ctl.nextDeadlineMicros(); },
             [&] {
               ctl.onTimer();
               if (accepted > requests || !view.errors.empty()) loop.quit();
             });
    if (!view.errors.empty()) state.SkipWithError(view.errors.front().c_str());
    ctl.stop();
  }
  const double cpuThread = ThreadCpuMs() - cpuThread0;
  const double cpuProcess = ProcessCpuMs() - cpuProcess0;
  const double seconds = std::chrono::duration<double>(lastAt - firstAt).count();
  const int polled = accepted - 1;
  const double replyMs = polled > 0 ? replySum / polled : 0;
  const double rate = polled / seconds;
  const double ceiling = 1000.0 / (200.0 + replyMs);
  state.counters["requests_per_s"] = rate;
  state.counters["ceiling_per_s"] = ceiling;
  state.counters["rate_vs_ceiling_pct"] = 100.0 * rate / ceiling;
  state.counters["reply_ms"] = replyMs;
  state.counters["cpu_ms_per_request_ui_thread"] = cpuThread / polled;
  state.counters["cpu_ms_per_request_process"] = cpuProcess / polled;
}

BENCHMARK(BM_SessionRate)->Arg(50)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace kalvex

BENCHMARK_MAIN();
