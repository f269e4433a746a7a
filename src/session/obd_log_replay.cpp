#include "session/obd_log_replay.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "obd/current_data.h"
#include "obd/obd_message.h"
#include "obd/pid_table.h"
#include "protocol/text.h"
#include "session/log_file.h"

namespace kalvex {

namespace {
constexpr size_t kMaxAnswerLines = 256;  // a log line run beyond this is noise
}  // namespace

bool ObdLogReplay::addLine(std::string_view line) {
  const std::optional<LogLine> read = ReadLogLine(line);
  if (!read) {
    ++skipped_;
    return false;
  }
  if (!first_) first_ = read->seconds;
  // The time never goes back, whatever the clock did while the log was written.
  now_ = std::max(now_, read->seconds - *first_);
  const std::string_view rest = line.substr(kLogStampSize);
  const std::string_view marker = kObdRequestMarker;
  if (rest.starts_with(marker)) {
    endAnswer();
    request_ = std::string(rest.substr(marker.size()));
    return true;
  }
  if (read->marker == LogMarker::Adapter && !request_.empty()) {
    answerAt_ = now_;
    if (lines_.size() < kMaxAnswerLines) {
      ObdLine l;
      l.text = std::string(read->text.substr(0, ObdLineCutter::kMaxLine));
      l.overlong = read->text.size() > ObdLineCutter::kMaxLine;
      lines_.push_back(std::move(l));
    }
  }
  return true;
}

void ObdLogReplay::finish() { endAnswer(); }

void ObdLogReplay::endAnswer() {
  const std::string request = std::move(request_);
  request_.clear();
  std::vector<ObdLine> lines = std::move(lines_);
  lines_.clear();
  if (request == "AT DPN") {
    for (const ObdLine& l : lines)
      if (const auto p = ParseDescribeProtocolNumber(l.text)) protocol_ = p;
    return;
  }
  if (!protocol_ || request.rfind("01 ", 0) != 0) return;
  // "01 0C 0D 05 2": the PIDs in the order asked; the count digit is no PID.
  for (size_t at = 3; at + 2 <= request.size(); at += 3) {
    const int hi = hex::LenientValue(request[at]), lo = hex::LenientValue(request[at + 1]);
    if (hi < 0 || lo < 0) break;
    const auto pid = static_cast<uint8_t>(hi * 16 + lo);
    if (std::find(pidOrder_.begin(), pidOrder_.end(), pid) == pidOrder_.end())
      pidOrder_.push_back(pid);
  }
  const ObdReply reply = ParseObdReply(lines, ObdProtocolOf(*protocol_).framing, request);
  skipped_ += reply.badLines;
  Row row{answerAt_, {}};
  for (const obd::Message& m : reply.messages) {
    if (m.data.empty() || m.data[0] != (obd::kCurrentData | obd::kPositiveReply)) continue;
    if (!ecus_.count(m.ecu) && ecus_.size() >= kMaxEcus) {
      ++skipped_;
      continue;
    }
    for (const obd::PidReply& pr : obd::SplitCurrentData(m.data).pids) {
      const obd::Pid* entry = obd::FindPid(pr.pid);
      if (!entry || entry->kind != obd::PidKind::Number) continue;
      if (const auto v = obd::PidValue(*entry, pr.bytes)) {
        current_[{m.ecu, pr.pid}] = *v;
        row.values[{m.ecu, pr.pid}] = *v;
        ecus_.insert(m.ecu);
      }
    }
  }
  if (!row.values.empty()) rows_.push_back(std::move(row));
}

std::vector<ObdColumn> ObdLogReplay::columns() const {
  std::map<uint8_t, std::set<uint32_t>> byPid;
  for (const auto& [key, value] : current_) byPid[key.second].insert(key.first);
  std::vector<ObdColumn> out;
  for (uint8_t pid : pidOrder_) {
    const auto found = byPid.find(pid);
    if (found == byPid.end()) continue;
    const std::set<uint32_t>& ecus = found->second;
    char hex[8];
    std::snprintf(hex, sizeof hex, "OBD_%02X", pid);
    for (uint32_t ecu : ecus)
      out.push_back(ObdColumn{
          pid, ecu, ecus.size() > 1 ? std::string(hex) + "_" + ObdEcuText(ecu) : std::string(hex)});
  }
  return out;
}

}  // namespace kalvex
