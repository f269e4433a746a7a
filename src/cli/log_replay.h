// The reading side of `kalvex-cli replay`: a session log, fed in chunks of
// any size, turned row by row into the CSV monitor wrote for it. Nothing is
// kept between lines but the current one and the running values, so memory
// stays flat whatever the log's size.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "decode/reply_handling.h"
#include "protocol/csv_file.h"
#include "session/value_recorder.h"

namespace kalvex::cli {

// Whether two paths name the same file: the same text, or two names of one
// existing file (a link, "./x" and "x"). Both replays refuse a CSV that is
// the log itself, which writing it would destroy.
bool SameFile(const std::string& a, const std::string& b);

// Splits bytes into lines at LF, CR LF or a lone CR (the line ends of the
// logs written on Linux, on Windows and by old tools). Empty lines are
// dropped; a line split over two chunks is joined.
class LineSplitter {
 public:
  using LineFn = std::function<void(std::string_view)>;
  void feed(const char* data, size_t size, const LineFn& onLine);
  // The last line when the input did not end with a line end.
  void finish(const LineFn& onLine);

 private:
  std::string partial_;
};

struct ReplayCounts {
  long long lines = 0;          // non-empty lines read
  long long stamped = 0;        // lines with a valid stamp
  long long badStamps = 0;      // non-empty lines without one
  long long firstBadLine = 0;   // line number of the first of them
  long long adapterLines = 0;   // " --- " lines
  long long extracted = 0;      // " -E- " lines
  long long accepted = 0;       // of those, what the session would have accepted
  long long dataReplies = 0;    // accepted live-data replies (0x61, 0x62)
  long long misfits = 0;        // of those, what the chosen type cannot decode whole
  long long backwardSteps = 0;  // times the clock went back
  long long firstStepLine = 0;
  long long firstStepSeconds = 0;
};

class LogReplayer {
 public:
  LogReplayer(int make, int ecu);
  // One line without its end; appends the CSV row it makes (if any) to `row`.
  void line(std::string_view text, std::string& row);
  const ReplayCounts& counts() const { return counts_; }
  // The closing notes for stderr, one a line, each said once: lines without
  // a valid stamp, a clock that went back, replies that do not fit the type.
  std::string warnings() const;

 private:
  int make_, ecu_;
  bool multiFrame_;
  ReplyState state_;
  ValueRecorder recorder_;
  ResponseBytes rb_;
  std::string request_;
  std::string reply_;  // the extracted reply with its prompt, reused line by line
  ReplayCounts counts_;
  std::optional<long long> first_, previous_;
  long long carried_ = 0;  // seconds the clock went back, added to keep time monotonic
};

}  // namespace kalvex::cli
