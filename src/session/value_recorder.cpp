#include "session/value_recorder.h"

namespace kalvex {

void ValueRecorder::setGaugeValue(Component c, float value) {
  current_[static_cast<size_t>(c)] = value;
  setSinceRow_ = true;
}

void ValueRecorder::begin(Millis start) {
  current_ = {};
  setSinceRow_ = false;
  madeRow_ = false;
  start_ = start;
  if (store_) store_->clear();
}

bool ValueRecorder::replyAccepted(Millis now, bool always) {
  madeRow_ = setSinceRow_ || always;
  if (!madeRow_) return false;
  setSinceRow_ = false;
  const Millis since = now - start_;
  if (store_) store_->append(since, current_);
  if (onRow) onRow(since, current_);
  return true;
}

}  // namespace kalvex
