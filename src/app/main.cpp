// Program entry: kalvex [--port PATH]... [--demo] [--screenshot FILE]
//                       [--select MAKE[,ECU]] [--values NAME=VALUE,...]
//                       [--stale NAME,...]
//                       [--help] [--version]
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
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
#include "ui/widgets/dashboard.h"

using namespace kalvex;

namespace {

struct Options {
  std::vector<std::string> ports;
  bool demo = false;
  std::string screenshot;
  std::optional<int> selectMake;
  std::optional<int> selectEcu;
  std::vector<std::pair<Component, float>> values;
  std::vector<Component> stale;
  bool help = false;
  bool version = false;
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

// The window's command line. Options are added here; the program's name and
// version come from the build.
struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption port{"port", "Also list the serial device PATH (repeatable).", "PATH"};
  QCommandLineOption demo{"demo",
                          "Start with a simulated adapter and ECU behind a pseudo-terminal."};
  QCommandLineOption screenshot{"screenshot",
                                "Save the window to FILE (PNG) after start-up and exit.", "FILE"};
  QCommandLineOption select{"select", "Pick a make (and ECU type) by list index.", "MAKE[,ECU]"};
  QCommandLineOption values{"values", "Set gauges by component name.", "NAME=VALUE,..."};
  QCommandLineOption stale{"stale", "Draw these gauges as stale (dimmed), by component name.",
                           "NAME,..."};
  QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
  QCommandLineOption version{{"v", "version"}, "Show the version and exit."};

  CommandLine() {
    parser.setApplicationDescription(
        "Kalvex: diagnostic scanner for engine control units (ELM327 and Kesta-mini adapters).");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto* o : {&port, &demo, &screenshot, &select, &values, &stale, &help, &version})
      parser.addOption(*o);
  }
};

// Returns an error text, or empty on success.
std::string ParseArgs(CommandLine& cl, const QStringList& args, Options& o) {
  if (!cl.parser.parse(args)) return cl.parser.errorText().toStdString();
  if (!cl.parser.positionalArguments().isEmpty())
    return "unknown argument: " + cl.parser.positionalArguments().first().toStdString();
  o.help = cl.parser.isSet(cl.help);
  o.version = cl.parser.isSet(cl.version);
  o.demo = cl.parser.isSet(cl.demo);
  for (const QString& p : cl.parser.values(cl.port)) {
    if (p.isEmpty()) return "--port needs a device path";
    o.ports.push_back(p.toStdString());
  }
  if (cl.parser.isSet(cl.screenshot)) {
    o.screenshot = cl.parser.value(cl.screenshot).toStdString();
    if (o.screenshot.empty()) return "--screenshot needs a file name";
  }
  if (cl.parser.isSet(cl.select)) {
    const auto parts = Split(cl.parser.value(cl.select).toStdString(), ',');
    if (parts.size() > 2) return "--select needs MAKE or MAKE,ECU";
    const auto make = ParseDecimal(parts[0]);
    if (!make || *make < 0 || *make >= kMakeCount) return "unknown make: " + parts[0];
    o.selectMake = *make;
    if (parts.size() == 2) {
      const auto ecu = ParseDecimal(parts[1]);
      if (!ecu || !ValidEcuType(*make, *ecu)) return "unknown ECU type: " + parts[1];
      o.selectEcu = *ecu;
    }
  }
  if (cl.parser.isSet(cl.values)) {
    for (const std::string& item : Split(cl.parser.value(cl.values).toStdString(), ',')) {
      const size_t eq = item.find('=');
      if (eq == std::string::npos) return "bad value setting: " + item;
      const auto c = ComponentByName(item.substr(0, eq));
      if (!c) return "unknown component: " + item.substr(0, eq);
      float f = 0;
      if (!ParseFloat(item.substr(eq + 1), f)) return "bad number: " + item.substr(eq + 1);
      o.values.emplace_back(*c, f);
    }
  }
  if (cl.parser.isSet(cl.stale)) {
    for (const std::string& name : Split(cl.parser.value(cl.stale).toStdString(), ',')) {
      const auto c = ComponentByName(name);
      if (!c) return "unknown component: " + name;
      o.stale.push_back(*c);
    }
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  // Parsed before the application exists, so a screenshot can still choose
  // the offscreen platform.
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  CommandLine cl;
  Options o;
  const std::string error = ParseArgs(cl, args, o);
  if (!error.empty()) return Fail(error);
  if (o.help || o.version) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName("kalvex");
    QCoreApplication::setApplicationVersion(KALVEX_VERSION);
    const QString text = o.help ? cl.parser.helpText() : "kalvex " KALVEX_VERSION "\n";
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

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
    wo.leadingPortLabels.push_back("Демо (симулятор)");
    wo.leadingPortSelected = true;
  }

  TForm1 form(wo);
  if (demo) AttachDemoSimulator(*demo, form);
  if (o.selectMake) form.selectMake(*o.selectMake);
  if (o.selectEcu) form.selectEcuType(*o.selectEcu);
  for (const auto& [c, v] : o.values) form.setGaugeValue(c, v);
  for (Component c : o.stale) form.dashboard()->pinStale(c);

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
