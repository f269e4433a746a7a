// kalvex-cli's status lines on stderr: the label's state each time it changes,
// except the watchdog's "no link" that the next reply takes back within one
// polling period. The window's label shows that flip for a moment; scripts
// reading stderr would take it for a lost link every ten seconds.
#pragma once

#include <optional>

#include "protocol/clock.h"
#include "session/session_view.h"

namespace kalvex::cli {

class StatusLines {
 public:
  // `grace`: how long a "no link" after "linked" is held back.
  explicit StatusLines(Millis grace) : grace_(grace) {}

  // The label became `status` at `now` while a session runs (or not).
  // Returns the state to print now, if any.
  std::optional<LinkStatus> set(LinkStatus status, bool running, Millis now) {
    if (shownAny_ && status == shown_) {
      held_.reset();  // taken back in time: nothing to tell
      return std::nullopt;
    }
    if (running && shownAny_ && shown_ == LinkStatus::Linked && status == LinkStatus::NoLink) {
      if (!held_) heldSince_ = now;
      held_ = status;
      return std::nullopt;
    }
    held_.reset();
    shown_ = status;
    shownAny_ = true;
    return status;
  }
  // When a held line is due (for the event loop's deadline).
  std::optional<Millis> due() const {
    return held_ ? std::optional<Millis>(heldSince_ + grace_) : std::nullopt;
  }
  // The held line once its time has come (or at once with `flush`).
  std::optional<LinkStatus> takeDue(Millis now, bool flush = false) {
    if (!held_ || (!flush && now < heldSince_ + grace_)) return std::nullopt;
    shown_ = *held_;
    shownAny_ = true;
    held_.reset();
    return shown_;
  }

 private:
  Millis grace_;
  LinkStatus shown_ = LinkStatus::NoLink;
  bool shownAny_ = false;  // nothing printed yet
  std::optional<LinkStatus> held_;
  Millis heldSince_ = 0;
};

}  // namespace kalvex::cli
