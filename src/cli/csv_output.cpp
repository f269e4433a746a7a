#include "cli/csv_output.h"

#include <cerrno>
#include <cstring>

#include "protocol/utf8_path.h"

namespace kalvex::cli {

int OpenCsvOutput(const MonitorOptions& o, FILE*& csv) {
  csv = nullptr;
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
