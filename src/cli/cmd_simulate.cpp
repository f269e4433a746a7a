// kalvex-cli simulate: the simulated adapter and ECU on a new pseudo-terminal.
//
//   kalvex-cli simulate --make M --ecu E [--delay MS] [--searching]
//                       [--tcp 127.0.0.1:PORT]
//   kalvex-cli simulate --obd [--protocol can11|can29|kwp|iso9141] [--elm-version 1.0|1.5]
//                       [--obd-silent] [--obd-refuse] [--obd-pending S] [--delay MS]
//                       [--searching] [--tcp 127.0.0.1:PORT]
//
// Prints the terminal's path on the first line (with --tcp the address
// listened on instead, loopback only, port 0 for any free one), serves
// until SIGINT or SIGTERM, then exits 0. Answers as an ELM327 or a Kesta-mini, whichever set-
// up line arrives, so consecutive sessions may use either adapter.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "cli/sim_tcp_front.h"
#include "protocol/translate.h"
#include "sim/ecu_layouts.h"
#include "sim/pty_server.h"

namespace kalvex::cli {
namespace {}  // namespace

int RunSimulate(const SimulateOptions& options) {
  sim::PtyServerOptions o;
  o.replyDelayMs = options.delayMs;
  o.announceInit = options.searching;
  const std::optional<net::TcpAddress>& tcp = options.tcp;
  const int make = options.make, ecu = options.ecu;
  if (options.obd) {
    sim::ObdSimOptions obd;
    obd.searching = options.searching;
    obd.oldChip = options.oldChip;
    obd.car.bus = options.protocol == "can29"     ? sim::ObdBus::Can29
                  : options.protocol == "kwp"     ? sim::ObdBus::Kwp
                  : options.protocol == "iso9141" ? sim::ObdBus::Iso9141
                                                  : sim::ObdBus::Can11;
    obd.car.silent = options.obdSilent;
    obd.car.refuse = options.obdRefuse;
    obd.car.pendingMs = options.obdPendingMs;
    o.obd = obd;
  } else if (!sim::EcuLayoutOf(make, ecu))
    std::fprintf(stderr,
                 "kalvex-cli simulate: no live data for %s / %s yet; the ECU answers the "
                 "session and fault requests only\n",
                 TranslateText(Makes()[make].text).c_str(),
                 TranslateText(EcuTypesOf(make)[ecu]).c_str());
  o.make = make;
  o.ecu = ecu;

  // Block the stop signals before the server thread exists, so only
  // sigwait below ever sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::string error;
  auto server = sim::PtyServer::Start(o, error);
  if (!server) {
    std::fprintf(stderr, "kalvex-cli simulate: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<SimTcpFront> front;
  if (tcp) {
    front = SimTcpFront::Start(server->slavePath(), *tcp, error);
    if (!front) {
      std::fprintf(stderr, "kalvex-cli simulate: cannot listen on %s: %s\n", tcp->Text().c_str(),
                   error.c_str());
      return 1;
    }
  }
  std::printf("%s\n", front ? front->address().Text().c_str() : server->slavePath().c_str());
  std::fflush(stdout);

  int sig = 0;
  while (sigwait(&stopSignals, &sig) != 0) {
  }
  if (front) front->stop();
  server->stop();
  return 0;
}

}  // namespace kalvex::cli
