// kalvex-cli decode: the reply handling of one accepted reply (decoder,
// fault list, clear reply) on bytes given as hex, without a car.
//
//   kalvex-cli decode --make M --ecu E [--next N] HEX...
//   kalvex-cli decode --stdin          (lines "M E N HEX", one block each,
//                                       each followed by an empty line)
//
// Exit status: 0, 1 when any case was an error block, 2 for bad usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "session/decode_case.h"

namespace kalvex::cli {
namespace {

// A line longer than this cannot hold 1,024 bytes of hex with sane spacing;
// it is reported instead of being buffered without bound.
constexpr size_t kMaxLineLength = 64 * 1024;
constexpr size_t kFlushAt = 64 * 1024;

// Writes what has gathered; false once standard output failed (a full disk,
// a closed pipe), after which nothing more is written.
bool Flush(std::string& out) {
  static bool failed = false;
  if (!failed && !out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
    failed = true;
  out.clear();
  return !failed;
}

// The end of a run: everything out, or the write error once on stderr and 1.
int Finish(std::string& out, int status) {
  const bool written = Flush(out) && std::fflush(stdout) == 0 && !std::ferror(stdout);
  if (written) return status;
  std::fprintf(stderr, "kalvex-cli decode: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

int RunStdin() {
  DecodeCaseRunner runner;
  std::string out, line;
  out.reserve(2 * kFlushAt);
  line.reserve(4096);
  bool anyError = false, lineTooLong = false, writeFailed = false;

  auto finishLine = [&](std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (lineTooLong) {
      out.append("error line longer than 65536 characters\n");
      anyError = true;
    } else if (text.find_first_not_of(" \t") == std::string_view::npos) {
      line.clear();
      return;  // blank lines separate nothing and are not cases
    } else if (!runner.runLine(text, out)) {
      anyError = true;
    }
    out.push_back('\n');
    line.clear();
    lineTooLong = false;
    if (out.size() >= kFlushAt && !Flush(out)) writeFailed = true;
  };

  char chunk[64 * 1024];
  size_t got;
  while (!writeFailed && (got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
    std::string_view rest(chunk, got);
    while (!rest.empty()) {
      const size_t eol = rest.find('\n');
      const std::string_view part = rest.substr(0, eol);
      if (eol != std::string_view::npos && line.empty() && !lineTooLong &&
          part.size() <= kMaxLineLength) {
        finishLine(part);  // a whole line within the chunk: no copy
        rest.remove_prefix(eol + 1);
        continue;
      }
      if (!lineTooLong) {
        if (line.size() + part.size() > kMaxLineLength)
          lineTooLong = true;
        else
          line.append(part);
      }
      if (eol == std::string_view::npos) break;
      finishLine(line);
      rest.remove_prefix(eol + 1);
    }
  }
  if (!writeFailed && (!line.empty() || lineTooLong))
    finishLine(line);  // last line without newline
  return Finish(out, anyError ? 1 : 0);
}

}  // namespace

int RunDecode(const DecodeOptions& o) {
  if (o.fromStdin) return RunStdin();
  DecodeCaseRunner runner;
  std::string out;
  const bool ok = runner.run(o.make, o.ecu, o.next, o.hex, out);
  return Finish(out, ok ? 0 : 1);
}

}  // namespace kalvex::cli
