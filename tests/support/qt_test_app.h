// The window tests' Qt: one QApplication per test binary, whichever test
// asks first, deleted after the last test (before the program's statics go,
// which Windows needs for a clean exit), and a way to let its event loop run
// until something holds. Header-only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace kalvex {

inline QApplication* TestApp() {
  static int argc = 1;
  static char name[] = "kalvex_test";
  static char* argv[] = {name, nullptr};
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) app = new QApplication(argc, argv);
  return app;
}

class DeleteTestApp : public ::testing::Environment {
 public:
  void TearDown() override { delete QCoreApplication::instance(); }
};
inline ::testing::Environment* const kDeleteTestApp =
    ::testing::AddGlobalTestEnvironment(new DeleteTestApp);

// Runs the event loop until `done` holds or `limitMs` pass; the last answer.
template <typename Pred>
bool RunUntil(Pred done, int limitMs = 15000) {
  for (int waited = 0; waited < limitMs; waited += 20) {
    if (done()) return true;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

}  // namespace kalvex
