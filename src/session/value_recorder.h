// The values of a session as the decoders set them: the current value of
// every component, and one row per accepted reply. The window keeps the rows
// for its chart and its CSV save, kalvex-cli monitor writes each as a CSV
// line, replay turns a log into the same rows. GUI-free; the user-interface
// thread only.
#pragma once

#include <functional>

#include "protocol/clock.h"
#include "protocol/components.h"
#include "session/session_values.h"

namespace kalvex {

class ValueRecorder final : public GaugeSink {
 public:
  // Rows are appended to `store` when given, and passed to onRow.
  explicit ValueRecorder(SessionValues* store = nullptr) : store_(store) {}

  void setGaugeValue(Component c, float value) override;

  // A new run from `start`: no value set, no rows kept.
  void begin(Millis start);
  // An accepted reply handled at `now`. A row stands for values the ECU
  // just sent: without a value set since the last row (a fault read's
  // replies set none) there is none, unless `always`. True when a row was
  // made.
  bool replyAccepted(Millis now, bool always = false);

  const GaugeValues& current() const { return current_; }
  // Whether the last replyAccepted made a row.
  bool lastReplyMadeRow() const { return madeRow_; }
  // Called for every row with the time since begin().
  std::function<void(Millis sinceStart, const GaugeValues&)> onRow;

 private:
  SessionValues* store_;
  GaugeValues current_{};
  bool setSinceRow_ = false;
  bool madeRow_ = false;
  Millis start_ = 0;
};

// The session's gauge values to the window and to the recorder alike.
class GaugeTee final : public GaugeSink {
 public:
  GaugeTee(GaugeSink& first, GaugeSink& second) : first_(first), second_(second) {}
  void setGaugeValue(Component c, float value) override {
    first_.setGaugeValue(c, value);
    second_.setGaugeValue(c, value);
  }

 private:
  GaugeSink& first_;
  GaugeSink& second_;
};

}  // namespace kalvex
