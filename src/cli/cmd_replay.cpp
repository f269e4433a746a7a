// kalvex-cli replay: the CSV a monitor run would have written, from the log
// of an ELM327 session.
//
//   kalvex-cli replay LOGFILE --make M --ecu E [--csv FILE]
//
// Every " -E- " line is a reply the session extracted; it goes through the
// same parse and reply handling as in the session, and each reply the
// session would have accepted gives one row. The time column counts whole
// seconds from the log's first line (the log has no finer stamps). Lines
// that would not have been accepted are skipped and counted once on stderr.
// Exit status: 0 done; 1 the log cannot be read or holds no ELM327 replies,
// or the CSV cannot be written; 2 bad usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>

#include "adapter/elm327_driver.h"
#include "catalogue/catalogue.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "protocol/utf8_path.h"
#include "session/reply_handling.h"
#include "session/session_values.h"

namespace kalvex::cli {
namespace {

int ReplayUsage(const std::string& problem) {
  std::fprintf(stderr, "kalvex-cli replay: %s\n", problem.c_str());
  return 2;
}

int ReplayFail(const std::string& problem) {
  std::fprintf(stderr, "kalvex-cli replay: %s\n", problem.c_str());
  return 1;
}

class ValueSink final : public GaugeSink {
 public:
  void setGaugeValue(Component c, float value) override { values[static_cast<size_t>(c)] = value; }
  GaugeValues values{};
};

// "dd/mm/yyyy hh:mm:ss" at the start of a log line, as seconds on a
// calendar without time zones (only differences are used); nullopt when the
// line does not start with a stamp.
std::optional<long long> LogStampSeconds(const std::string& line) {
  int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  if (line.size() < 19 ||
      std::sscanf(line.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%c", &d, &mo, &y, &h, &mi, &s, &tail) < 6)
    return std::nullopt;
  if (line[2] != '/' || line[5] != '/' || line[10] != ' ' || line[13] != ':' || line[16] != ':')
    return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return std::nullopt;
  // Days from the civil date (proleptic Gregorian).
  const int yy = y - (mo <= 2);
  const int era = (yy >= 0 ? yy : yy - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(yy - era * 400);
  const unsigned doy = static_cast<unsigned>((153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1);
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = static_cast<long long>(era) * 146097 + doe;
  return days * 86400 + h * 3600 + mi * 60 + s;
}

}  // namespace

int RunReplay(int argc, char** argv) {
  std::string logPath, csvPath, makeText, ecuText;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--make" && hasValue) {
      makeText = argv[++i];
    } else if (a == "--ecu" && hasValue) {
      ecuText = argv[++i];
    } else if (a == "--csv" && hasValue) {
      csvPath = argv[++i];
      if (csvPath.empty()) return ReplayUsage("--csv needs a file name");
    } else if (!a.empty() && a[0] != '-' && logPath.empty()) {
      logPath = a;
    } else {
      return ReplayUsage("unknown or incomplete argument: " + a);
    }
  }
  if (logPath.empty()) return ReplayUsage("the log file is needed");
  if (makeText.empty() || ecuText.empty()) return ReplayUsage("--make and --ecu are needed");
  const auto make = ParseMake(makeText);
  if (!make) return ReplayUsage("unknown make: " + makeText);
  const auto ecu = ParseEcuType(*make, ecuText);
  if (!ecu) return ReplayUsage("unknown ECU type for this make: " + ecuText);

  std::ifstream in(PathFromUtf8(logPath), std::ios::binary);
  if (!in) return ReplayFail("cannot read " + logPath + ": " + std::strerror(errno));

  // As the session decides: a CAN type's "0..." reply is a multi-frame one.
  const bool multiFrame = LinkParamsOf(*make, *ecu).canSession || ElmUsesCan(*make, *ecu);
  std::optional<long long> first;
  std::string rows;
  long long accepted = 0, skipped = 0, replyLines = 0;
  ValueSink sink;
  ReplyState state;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto stamp = LogStampSeconds(line);
    if (!stamp) continue;
    if (!first) first = stamp;
    const std::string body = line.substr(19);
    if (body.rfind(" --- ", 0) == 0) ++replyLines;
    if (body.rfind(" -E- ", 0) != 0) continue;
    ++replyLines;
    // The extracted text has lost its echo and its prompt; the prompt goes
    // back so the parse sees the line as the driver did.
    std::string echo;  // already removed
    ResponseBytes rb;
    const ElmParse parse = ElmParseReply(body.substr(5) + ">", echo, multiFrame, rb);
    if (parse.result != ElmReply::Accepted) {
      ++skipped;
      continue;
    }
    ++accepted;
    state.next.nextCommand = 0;
    HandleReplyData(*make, *ecu, rb, sink, state);
    rows += CsvRow(static_cast<double>(*stamp - *first), sink.values);
  }
  if (in.bad()) return ReplayFail("cannot read " + logPath + ": " + std::strerror(errno));
  if (!first) return ReplayFail(logPath + " is not a session log (no time-stamped line)");
  if (replyLines == 0)
    return ReplayFail(logPath +
                      " holds no ELM327 replies: a Kesta-mini session logs only its start time");

  FILE* out = stdout;
  if (!csvPath.empty()) {
    out = OpenFileUtf8(csvPath, "wb");
    if (!out) return ReplayFail("cannot write " + csvPath + ": " + std::strerror(errno));
  }
  std::fprintf(out, "%s\n", kCsvHeader);
  std::fputs(rows.c_str(), out);
  const bool ok = std::fflush(out) == 0 && !std::ferror(out);
  if (out != stdout && std::fclose(out) != 0) return ReplayFail("cannot write " + csvPath);
  if (!ok) return ReplayFail("cannot write " + (csvPath.empty() ? "the CSV" : csvPath));
  if (skipped > 0)
    std::fprintf(stderr,
                 "kalvex-cli replay: %lld of %lld extracted replies skipped (the session would "
                 "not have accepted them)\n",
                 skipped, skipped + accepted);
  return 0;
}

}  // namespace kalvex::cli
