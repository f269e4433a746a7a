// Qt glue around the session core: owns the serial port, the session
// controller and the timer that fires at the core's earliest deadline.
#pragma once

#include <QObject>

#include "session/session_view.h"

namespace kalvex {

class SessionHost : public QObject {
  Q_OBJECT
 public:
  SessionHost(SessionView& view, QObject* parent = nullptr);
  ~SessionHost() override;

  void Button1Click();
  void Button2Click();
  void setLogEnabled(bool on);   // CheckBox1Click and the stored setting
  bool logEnabled() const;
  // FormClose: stop timers, cancel a pending write, close the port, before
  // anything is destroyed.
  void shutdown();

 private:
  SessionView& view_;
  bool logEnabled_ = false;
};

}  // namespace kalvex
