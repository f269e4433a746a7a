#include "cli/log_replay.h"

#include <cstring>
#include <string>

#include "adapter/elm327_driver.h"
#include "catalogue/catalogue.h"
#include "decode/decoder.h"

namespace kalvex::cli {

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

namespace {

bool Digits(std::string_view s, size_t at, size_t n, int& out) {
  out = 0;
  for (size_t i = at; i < at + n; ++i) {
    const char c = s[i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

int DaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

constexpr const char* kAdapterMarker = " --- ";
constexpr const char* kExtractedMarker = " -E- ";
constexpr size_t kStampSize = 19;  // "dd/mm/yyyy hh:mm:ss"

}  // namespace

std::optional<long long> LogStampSeconds(std::string_view line) {
  if (line.size() < kStampSize) return std::nullopt;
  if (line.size() > kStampSize && line[kStampSize] != ' ') return std::nullopt;
  if (line[2] != '/' || line[5] != '/' || line[10] != ' ' || line[13] != ':' || line[16] != ':')
    return std::nullopt;
  int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
  if (!Digits(line, 0, 2, d) || !Digits(line, 3, 2, mo) || !Digits(line, 6, 4, y) ||
      !Digits(line, 11, 2, h) || !Digits(line, 14, 2, mi) || !Digits(line, 17, 2, s))
    return std::nullopt;
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(mo, y) || h > 23 || mi > 59 || s > 59)
    return std::nullopt;
  // Days from the civil date (proleptic Gregorian).
  const int yy = y - (mo <= 2);
  const int era = yy / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365LL + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097LL + doe;
  return days * 86400 + h * 3600 + mi * 60 + s;
}

LogReplayer::LogReplayer(int make, int ecu)
    : make_(make),
      ecu_(ecu),
      // As the session decides: a CAN type's "0..." reply is a multi-frame one.
      multiFrame_(LinkParamsOf(make, ecu).canSession || ElmUsesCan(make, ecu)) {}

void LogReplayer::line(std::string_view text, std::string& row) {
  ++counts_.lines;
  const auto stamp = LogStampSeconds(text);
  if (!stamp) {
    if (counts_.badStamps++ == 0) counts_.firstBadLine = counts_.lines;
    return;
  }
  ++counts_.stamped;
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
  const std::string_view body = text.substr(kStampSize);
  if (body.starts_with(kAdapterMarker)) ++counts_.adapterLines;
  if (!body.starts_with(kExtractedMarker)) return;
  ++counts_.extracted;
  // The extracted text has lost its echo and its prompt; the prompt goes
  // back so the parse sees the line as the driver did.
  reply_.assign(body.substr(5));
  reply_ += '>';
  request_.clear();  // the echo is already removed
  if (ElmParseReply(reply_, request_, multiFrame_, rb_).result != ElmReply::Accepted) return;
  ++counts_.accepted;
  if (rb_[0] == 0x61 || rb_[0] == 0x62) {
    ++counts_.dataReplies;
    const int highest = HighestByteRead(make_, ecu_, rb_);
    if (highest < 0 || rb_.length <= static_cast<size_t>(highest)) ++counts_.misfits;
  }
  state_.next.nextCommand = 0;
  HandleReplyData(make_, ecu_, rb_, sink_, state_);
  AppendCsvRow(row, static_cast<double>(*stamp - *first_ + carried_), sink_.values);
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
           " data replies do not fit " + Makes()[static_cast<size_t>(make_)].text + " " + type +
           " (no branch of its decoder takes them, or they are shorter than it reads): is "
           "the make or the ECU type wrong?\n";
  }
  return out;
}

}  // namespace kalvex::cli
