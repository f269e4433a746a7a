#include "cli/csv_output.h"

#include <cerrno>
#include <cstring>

#include "link/process_setup.h"
#include "protocol/utf8_path.h"

namespace kalvex::cli {

int OpenCsvOutput(const MonitorOptions& o, FILE*& csv) {
  csv = nullptr;
  // Started with standard output closed (it is /dev/null now): the rows, or
  // the fault list, would go nowhere while the run looked fine.
  if ((o.csv.empty() || o.faults) && StandardOutputWasClosed()) {
    std::fprintf(stderr, "kalvex-cli monitor: standard output is closed; %s\n",
                 o.faults ? "the fault list is written there" : "give --csv FILE for the rows");
    return 1;
  }
  if (!o.csv.empty()) {
    csv = OpenFileUtf8(o.csv, "wb");
    if (!csv) {
      std::fprintf(stderr, "kalvex-cli monitor: cannot write %s: %s\n", o.csv.c_str(),
                   std::strerror(errno));
      return 1;
    }
  } else if (!o.faults) {
    csv = stdout;
  }
  return 0;
}

void CloseCsvOutput(FILE* csv) {
  if (csv && csv != stdout) std::fclose(csv);
}

}  // namespace kalvex::cli
