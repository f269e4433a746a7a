#include "cli/log_replay.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "adapter/elm327_driver.h"
#include "catalogue/catalogue.h"
#include "decode/decoder.h"
#include "protocol/kwp_services.h"
#include "protocol/translate.h"
#include "protocol/utf8_path.h"
#include "session/log_file.h"

namespace kalvex::cli {

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return a == b || std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec);
}

void LineSplitter::feed(const char* data, size_t size, const LineFn& onLine) {
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    // memchr scans many bytes a step; the CR of a CR LF log comes first, and
    // the LF is only looked for before it.
    const auto* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
    const char* stop = cr ? cr : end;
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(stop - p)));
    const char* eol = lf ? lf : stop;
    if (eol == end) {
      partial_.append(p, end);
      return;
    }
    // The common case, a whole line inside the chunk, is passed without a copy.
    if (partial_.empty()) {
      if (eol > p) onLine(std::string_view(p, static_cast<size_t>(eol - p)));
    } else {
      partial_.append(p, eol);
      onLine(partial_);
      // A line of 100 MB costs its own size while it is read, not after.
      if (partial_.capacity() > (1u << 20)) partial_ = std::string();
      partial_.clear();
    }
    p = eol + 1;  // the LF of a CR LF makes an empty line, which is dropped
  }
}

void LineSplitter::finish(const LineFn& onLine) {
  if (!partial_.empty()) onLine(partial_);
  partial_ = std::string();
}

LogReplayer::LogReplayer(int make, int ecu)
    : make_(make),
      ecu_(ecu),
      // As the session decides: a CAN type's "0..." reply is a multi-frame one.
      multiFrame_(LinkParamsOf(make, ecu).canSession || ElmUsesCan(make, ecu)) {}

void LogReplayer::line(std::string_view text, std::string& row) {
  ++counts_.lines;
  const std::optional<LogLine> parsed = ReadLogLine(text);
  if (!parsed) {
    if (counts_.badStamps++ == 0) counts_.firstBadLine = counts_.lines;
    return;
  }
  ++counts_.stamped;
  const std::optional<long long> stamp = parsed->seconds;
  if (!first_) first_ = previous_ = stamp;
  if (*stamp < *previous_) {
    // A clock set back (a daylight-saving change in local time): the time
    // column carries on from where it was instead of going negative.
    if (counts_.backwardSteps++ == 0) {
      counts_.firstStepLine = counts_.lines;
      counts_.firstStepSeconds = *previous_ - *stamp;
    }
    carried_ += *previous_ - *stamp;
  }
  previous_ = stamp;
  if (parsed->marker == LogMarker::Adapter) ++counts_.adapterLines;
  if (parsed->marker != LogMarker::Extracted) return;
  ++counts_.extracted;
  // The extracted text has lost its echo and its prompt; the prompt goes
  // back so the parse sees the line as the driver did.
  reply_.assign(parsed->text);
  reply_ += '>';
  request_.clear();  // the echo is already removed
  if (ElmParseReply(reply_, request_, multiFrame_, rb_).result != ElmReply::Accepted) return;
  ++counts_.accepted;
  if (kwp::IsDataReply(rb_[0])) {
    ++counts_.dataReplies;
    const int highest = HighestByteRead(make_, ecu_, rb_);
    if (highest < 0 || rb_.length <= static_cast<size_t>(highest)) ++counts_.misfits;
  }
  state_.next.nextCommand = 0;
  HandleReplyData(make_, ecu_, rb_, recorder_, state_);
  // Every accepted reply is a row, timed by the log's own stamps.
  const Millis since = (*stamp - *first_ + carried_) * 1000;
  recorder_.replyAccepted(since, true);
  AppendCsvRow(row, static_cast<double>(since) / 1000.0, recorder_.current());
}

std::string LogReplayer::warnings() const {
  std::string out;
  const auto n = [](long long v) { return std::to_string(v); };
  if (counts_.badStamps > 0 && counts_.stamped > 0)
    out += "kalvex-cli replay: " + n(counts_.badStamps) +
           " lines without a valid time stamp skipped (the first is line " +
           n(counts_.firstBadLine) + ")\n";
  if (counts_.backwardSteps > 0)
    out += "kalvex-cli replay: the log's clock goes back " + n(counts_.firstStepSeconds) +
           " s at line " + n(counts_.firstStepLine) +
           (counts_.backwardSteps > 1 ? " (and " + n(counts_.backwardSteps - 1) + " more times)"
                                      : std::string()) +
           "; the time column carries on from before the step\n";
  const long long skipped = counts_.extracted - counts_.accepted;
  if (skipped > 0 && counts_.accepted > 0)
    out += "kalvex-cli replay: " + n(skipped) + " of " + n(counts_.extracted) +
           " extracted replies skipped (the session would not have accepted them)\n";
  if (counts_.misfits * 2 > counts_.dataReplies) {
    const auto& types = EcuTypesOf(ecu_ >= 0 ? make_ : -1);
    const std::string type = ecu_ >= 0 && static_cast<size_t>(ecu_) < types.size()
                                 ? types[static_cast<size_t>(ecu_)]
                                 : "ECU type " + n(ecu_);
    out += "kalvex-cli replay: " + n(counts_.misfits) + " of " + n(counts_.dataReplies) +
           " data replies do not fit " + TranslateText(Makes()[static_cast<size_t>(make_)].text) +
           " " + TranslateText(type) +
           " (no branch of its decoder takes them, or they are shorter than it reads): is "
           "the make or the ECU type wrong?\n";
  }
  return out;
}

}  // namespace kalvex::cli
