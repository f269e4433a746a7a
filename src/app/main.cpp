// Program entry: kalvex [--port PATH]... [--demo] [--screenshot FILE]
//                       [--select MAKE[,ECU]] [--values NAME=VALUE,...]
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/main_window.h"
#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "protocol/components.h"

using namespace kalvex;

namespace {

struct Options {
  std::vector<std::string> ports;
  bool demo = false;
  std::string screenshot;
  std::optional<int> selectMake;
  std::optional<int> selectEcu;
  std::vector<std::pair<Component, float>> values;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "kalvex: %s\n", message.c_str());
  return 2;
}

bool ParseFloat(const std::string& text, float& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const float v = std::strtof(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE) return false;
  out = v;
  return true;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t pos = s.find(sep, start);
    parts.push_back(s.substr(start, pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  return parts;
}

// Returns an error text, or empty on success.
std::string ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--demo") {
      o.demo = true;
    } else if (a == "--port") {
      if (!next(v) || v.empty()) return "--port needs a device path";
      o.ports.push_back(v);
    } else if (a == "--screenshot") {
      if (!next(v) || v.empty()) return "--screenshot needs a file name";
      o.screenshot = v;
    } else if (a == "--select") {
      if (!next(v)) return "--select needs MAKE or MAKE,ECU";
      const auto parts = Split(v, ',');
      if (parts.size() > 2) return "--select needs MAKE or MAKE,ECU";
      const auto make = ParseDecimal(parts[0]);
      if (!make || *make < 0 || *make >= kMakeCount) return "unknown make: " + parts[0];
      o.selectMake = *make;
      if (parts.size() == 2) {
        const auto ecu = ParseDecimal(parts[1]);
        if (!ecu || !ValidEcuType(*make, *ecu)) return "unknown ECU type: " + parts[1];
        o.selectEcu = *ecu;
      }
    } else if (a == "--values") {
      if (!next(v)) return "--values needs NAME=VALUE,...";
      for (const std::string& item : Split(v, ',')) {
        const size_t eq = item.find('=');
        if (eq == std::string::npos) return "bad value setting: " + item;
        const auto c = ComponentByName(item.substr(0, eq));
        if (!c) return "unknown component: " + item.substr(0, eq);
        float f = 0;
        if (!ParseFloat(item.substr(eq + 1), f)) return "bad number: " + item.substr(eq + 1);
        o.values.emplace_back(*c, f);
      }
    } else {
      return "unknown option: " + a;
    }
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  const std::string error = ParseArgs(argc, argv, o);
  if (!error.empty()) return Fail(error);

  // A screenshot needs no screen.
  if (!o.screenshot.empty() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  // The application title (taskbar, message boxes). Set as the name, not as
  // the display name: Qt appends a display name to every window caption.
  QApplication::setApplicationName("Kalvex Scaner PC");
  QApplication::setOrganizationName("Brenvik");

  WindowOptions wo;
  wo.extraPorts = o.ports;
  wo.writeSettingsOnClose = o.screenshot.empty();
  std::unique_ptr<DemoSimulator> demo;
  if (o.demo) {
    std::string demoError;
    demo = StartDemoSimulator(demoError);
    if (!demo) return Fail("demo mode: " + demoError);
    wo.leadingPorts.push_back(demo->portPath());
    wo.leadingPortSelected = true;
  }

  TForm1 form(wo);
  if (demo) AttachDemoSimulator(*demo, form);
  if (o.selectMake) form.selectMake(*o.selectMake);
  if (o.selectEcu) form.selectEcuType(*o.selectEcu);
  for (const auto& [c, v] : o.values) form.setGaugeValue(c, v);

  if (!o.screenshot.empty()) {
    form.setModalErrors(false);
    form.show();
    QApplication::processEvents();
    const QImage image = form.grab().toImage();
    if (image.isNull() || !image.save(QString::fromStdString(o.screenshot), "PNG"))
      return Fail("cannot save screenshot to " + o.screenshot);
    form.FormClose();
    return 0;
  }

  form.show();
  const int rc = app.exec();
  form.FormClose();
  return rc;
}
