// The values a generic OBD-II session's log stands for: its requests
// (kObdRequestMarker lines) and the adapter's lines after each, read again
// through the same line assembler, one CSV row per poll answer that set a
// value, in the columns monitor --obd writes. Pure: lines in, rows out.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adapter/elm327_obd.h"
#include "session/obd_session.h"

namespace kalvex {

class ObdLogReplay {
 public:
  struct Row {
    long long seconds = 0;  // since the log's first line
    // The values this answer read; a column keeps its value until the next
    // row that has one (a row holding every value known so far would make
    // memory grow with the square of the log's length).
    std::map<std::pair<uint32_t, uint8_t>, double> values;
  };
  // ECUs whose values are kept; answers under more ids are noise, skipped.
  static constexpr size_t kMaxEcus = ObdReplyAssembler::kMaxEcus;

  // One line of the log as read (CR and LF dropped); false for a line that
  // is no log line at all.
  bool addLine(std::string_view line);
  // Ends the last answer; call once after the last line.
  void finish();

  // Columns as monitor --obd names them, from every value the log holds.
  std::vector<ObdColumn> columns() const;
  const std::vector<Row>& rows() const { return rows_; }
  std::optional<ObdProtocol> protocol() const { return protocol_; }
  int skipped() const { return skipped_; }  // lines that are no log lines, or unreadable

 private:
  void endAnswer();

  std::optional<long long> first_;
  long long now_ = 0;
  long long answerAt_ = 0;  // the time of the answer's last line
  std::optional<ObdProtocol> protocol_;
  std::string request_;
  std::vector<ObdLine> lines_;
  std::map<std::pair<uint32_t, uint8_t>, double> current_;
  std::set<uint32_t> ecus_;        // the ECUs in current_
  std::vector<uint8_t> pidOrder_;  // as the requests first named them
  std::vector<Row> rows_;
  int skipped_ = 0;
};

}  // namespace kalvex
