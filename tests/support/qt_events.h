// Window tests that wait for a session: one QApplication per test binary,
// and an event loop run until a condition holds. Header-only.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace kalvex::test {

inline QApplication* SessionApp() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

// Processes events until `done` holds; false after `limitMs` (a hang guard).
inline bool RunUntil(const std::function<bool()>& done, int limitMs = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace kalvex::test
