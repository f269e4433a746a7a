// kalvex-cli replay: the CSV a monitor run would have written, from the log
// of an ELM327 session.
//
//   kalvex-cli replay LOGFILE --make M --ecu E [--csv FILE]
//
// Every " -E- " line is a reply the session extracted; it goes through the
// same parse and reply handling as in the session, and each reply the
// session would have accepted gives one row. The time column counts whole
// seconds from the log's first line (the log has no finer stamps), and
// never goes back. The log is read in blocks and the rows made from each
// block are written before the next is read, so memory stays flat and an
// interrupted run leaves the rows made so far. What was skipped or looks
// wrong is said once on stderr at the end.
// Exit status: 0 done; 1 the log cannot be read, is no session log or holds
// no reply the session would have accepted, or the CSV cannot be written;
// 2 bad usage (--csv naming the log itself included).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "cli/log_replay.h"
#include "protocol/csv_file.h"
#include "protocol/utf8_path.h"

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

}  // namespace

int RunReplay(const ReplayOptions& o) {
  const std::string& logPath = o.logPath;
  const std::string& csvPath = o.csvPath;
  if (!csvPath.empty() && SameFile(logPath, csvPath))
    return ReplayUsage("--csv names the log itself, which would be overwritten: " + csvPath);

  std::FILE* in = OpenFileUtf8(logPath, "rb");
  if (!in) return ReplayFail("cannot read " + logPath + ": " + std::strerror(errno));

  // Opened at the first row: a log that gives none leaves no file behind.
  std::FILE* out = nullptr;
  bool outFailed = false;
  int writeError = 0;
  auto write = [&](const std::string& rows) {
    if (rows.empty() || outFailed) return;
    if (!out) {
      out = csvPath.empty() ? stdout : OpenFileUtf8(csvPath, "wb");
      if (!out || !CsvFileSink(out)(std::string(kCsvHeader) + "\n")) {
        outFailed = true;
        writeError = errno;
        return;
      }
    }
    if (!CsvFileSink(out)(rows)) {
      outFailed = true;
      writeError = errno;
    }
  };

  LogReplayer replayer(o.make, o.ecu);
  LineSplitter splitter;
  std::string rows;
  const auto onLine = [&](std::string_view line) { replayer.line(line, rows); };
  std::vector<char> block(1 << 16);
  int readError = 0;
  while (!outFailed) {
    const size_t n = std::fread(block.data(), 1, block.size(), in);
    if (n > 0) splitter.feed(block.data(), n, onLine);
    if (n < block.size()) {
      if (std::ferror(in)) readError = errno ? errno : EIO;
      break;
    }
    write(rows);
    rows.clear();
  }
  std::fclose(in);
  if (!outFailed && readError == 0) splitter.finish(onLine);
  write(rows);
  if (out && out != stdout && std::fclose(out) != 0 && !outFailed) {
    outFailed = true;
    writeError = errno;
  }
  if (outFailed) {
    const std::string what = csvPath.empty() ? std::string("the CSV") : csvPath;
    return ReplayFail("cannot write " + what + ": " + std::strerror(writeError ? writeError : EIO));
  }
  if (readError != 0) return ReplayFail("cannot read " + logPath + ": " + std::strerror(readError));

  const ReplayCounts& c = replayer.counts();
  if (c.stamped == 0) return ReplayFail(logPath + " is not a session log (no time-stamped line)");
  std::fputs(replayer.warnings().c_str(), stderr);
  if (c.extracted == 0 && c.adapterLines == 0)
    return ReplayFail(logPath + " holds no replies: a Kesta-mini session logs only its start time");
  if (c.extracted == 0)
    return ReplayFail(logPath + " holds no extracted replies: the adapter never answered");
  if (c.accepted == 0)
    return ReplayFail("none of the " + std::to_string(c.extracted) + " replies in " + logPath +
                      " would have been accepted by the session");
  return 0;
}

}  // namespace kalvex::cli
