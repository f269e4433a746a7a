// Program entry: kalvex [--port PATH]... [--demo] [--screenshot FILE]
//                       [--select MAKE[,ECU]] [--values NAME=VALUE,...]
//                       [--stale NAME,...] [--pause MS] [--help] [--version]
//                kalvex --plot CSV --out FILE.png [--columns NAME,...]
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <shellapi.h>
#endif

#include "adapter/adapter_driver.h"
#include "app/chart_page.h"
#include "app/demo.h"
#include "app/main_window.h"
#include "app/obd_mode.h"
#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "cli/language.h"
#include "link/process_setup.h"
#include "protocol/components.h"
#include "protocol/languages.h"
#include "protocol/text.h"
#include "session/session_values.h"
#include "ui/chart_data.h"
#include "ui/widgets/dashboard.h"
#include "ui/widgets/strip_chart.h"

using namespace kalvex;

namespace {

// The language Qt's own texts are written in.
constexpr const char* kQtSourceLanguage = "en";

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
  Millis pause = 200;
  std::string plot, out;
  std::vector<Component> columns;
  std::optional<int> runMs;  // --run: a session this long before the screenshot
  std::optional<int> page;   // --page: the tab the screenshot shows
  std::string lang;  // --lang: a language code (protocol/languages.h), or empty (the stored choice)
};

// Said before the application (and its translator) exists: in the language
// --lang gave, else Russian.
std::string gEarlyLanguage;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Only an X11 or Wayland session can lack its display at start.
const char* Early(const char* russian) {
  const char* translated = cli::TranslatedText(gEarlyLanguage, "main", russian);
  return translated ? translated : russian;
}
#endif

#ifdef _WIN32
// A GUI-subsystem program has no console: --help, --version and errors
// started from a command prompt go to the prompt's console when there is
// one, unless the output was redirected already.
void UseParentConsole() {
  const bool hasOut = ::GetStdHandle(STD_OUTPUT_HANDLE) != nullptr &&
                      ::GetStdHandle(STD_OUTPUT_HANDLE) != INVALID_HANDLE_VALUE;
  if (hasOut || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}
#endif

// The arguments as Unicode: Windows' narrow argv holds only what the ANSI
// code page can spell, so a Cyrillic file name would be garbled.
QStringList Arguments(int argc, char** argv) {
  QStringList args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int n = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n)) {
    for (int i = 0; i < n; ++i) args << QString::fromWCharArray(wide[i]);
    ::LocalFree(wide);
  }
#else
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
#endif
  return args;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kalvex: %s\n", message.c_str());
  return 2;
}

// As kalvex-cli reads numbers: no leading space or plus sign.
bool ParseFloat(const std::string& text, float& out) {
  const auto v = ParseDecimalNumber(text);
  if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) return false;
  out = static_cast<float>(*v);
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
  QCommandLineOption select{"select",
                            "Pick a make (and ECU type) by list index; the last make is "
                            "generic OBD-II, its ECU types the protocols.",
                            "MAKE[,ECU]"};
  QCommandLineOption run{"run", "With --screenshot: start the session and run it MS first.", "MS"};
  QCommandLineOption page{"page", "With --screenshot: show the tab of this index.", "N"};
  QCommandLineOption values{"values", "Set gauges by component name.", "NAME=VALUE,..."};
  QCommandLineOption stale{"stale", "Draw these gauges as stale (dimmed), by component name.",
                           "NAME,..."};
  QCommandLineOption pause{"pause",
                           "Pause before each data request, 20 to 1000 ms (default 200; "
                           "K-line sessions wait at least 55).",
                           "MS"};
  QCommandLineOption plot{"plot",
                          "Draw the chart of a CSV written by kalvex-cli monitor or saved "
                          "from the chart tab (with --out) and exit.",
                          "CSV"};
  QCommandLineOption out{"out", "The PNG file --plot writes.", "FILE"};
  QCommandLineOption columns{"columns", "Up to six columns for --plot.", "NAME,..."};
  QCommandLineOption lang{"lang",
                          "Show the window in English (en) or Russian (ru); without it, the "
                          "language chosen on the About tab, else Russian.",
                          QString::fromStdString(LanguageCodesText("|", "|"))};
  QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
  QCommandLineOption version{{"v", "version"}, "Show the version and exit."};

  CommandLine() {
    parser.setApplicationDescription(
        "Kalvex: diagnostic scanner for engine control units (ELM327 and Kesta-mini adapters).");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto* o : {&port, &demo, &screenshot, &select, &run, &page, &values, &stale, &pause,
                          &plot, &out, &columns, &lang, &help, &version})
      parser.addOption(*o);
  }
};

std::string Value(const CommandLine& cl, const QCommandLineOption& option) {
  return cl.parser.value(option).toStdString();
}

// A whole number from `lo` to `hi`, or none.
std::optional<int> DecimalIn(const std::string& text, Millis lo, Millis hi) {
  const auto n = ParseDecimal(text);
  if (!n || *n < lo || *n > hi) return std::nullopt;
  return n;
}

// Component names, comma-separated, appended to `out`; an error text naming
// the first unknown one after `unknown`, or empty.
std::string ParseComponents(const std::string& list, const char* unknown,
                            std::vector<Component>& out) {
  for (const std::string& name : Split(list, ',')) {
    const auto c = ComponentByName(name);
    if (!c) return unknown + name;
    out.push_back(*c);
  }
  return {};
}

// --select MAKE[,ECU]; the last make is generic OBD-II, its ECU types the
// protocols.
std::string ParseSelect(const std::string& text, Options& o) {
  const auto parts = Split(text, ',');
  if (parts.size() > 2) return "--select needs MAKE or MAKE,ECU";
  const auto make = ParseDecimal(parts[0]);
  if (!make || *make < 0 || *make > kObdMakeIndex) return "unknown make: " + parts[0];
  o.selectMake = *make;
  if (parts.size() == 2) {
    const auto ecu = ParseDecimal(parts[1]);
    const bool valid =
        ecu && (IsObdMake(*make) ? *ecu >= 0 && *ecu < static_cast<int>(ObdProtocolChoices().size())
                                 : ValidEcuType(*make, *ecu));
    if (!valid) return "unknown ECU type: " + parts[1];
    o.selectEcu = *ecu;
  }
  return {};
}

// --values NAME=VALUE,...
std::string ParseValues(const std::string& text, Options& o) {
  for (const std::string& item : Split(text, ',')) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return "bad value setting: " + item;
    const auto c = ComponentByName(item.substr(0, eq));
    if (!c) return "unknown component: " + item.substr(0, eq);
    float f = 0;
    if (!ParseFloat(item.substr(eq + 1), f)) return "bad number: " + item.substr(eq + 1);
    o.values.emplace_back(*c, f);
  }
  return {};
}

// --plot, --out and --columns, which go together.
std::string ParsePlot(const CommandLine& cl, Options& o) {
  o.plot = Value(cl, cl.plot);
  o.out = Value(cl, cl.out);
  if (cl.parser.isSet(cl.plot) && o.plot.empty()) return "--plot needs a CSV file";
  if (cl.parser.isSet(cl.out) && o.out.empty()) return "--out needs a file name";
  if (!o.plot.empty() && o.out.empty()) return "--plot needs --out FILE.png";
  if (o.plot.empty() && (!o.out.empty() || cl.parser.isSet(cl.columns)))
    return "--out and --columns go with --plot";
  if (!cl.parser.isSet(cl.columns)) return {};
  if (std::string e = ParseComponents(Value(cl, cl.columns), "unknown column: ", o.columns);
      !e.empty())
    return e;
  if (o.columns.size() > ChartPage::kMaxSeries) return "--columns takes at most six names";
  return {};
}

// --run and --page, which go with --screenshot.
std::string ParseScreenshotRun(const CommandLine& cl, Options& o) {
  if (cl.parser.isSet(cl.run)) {
    o.runMs = DecimalIn(Value(cl, cl.run), 0, 60'000);
    if (!o.runMs) return "--run needs milliseconds from 0 to 60000";
  }
  if (cl.parser.isSet(cl.page)) {
    o.page = DecimalIn(Value(cl, cl.page), 0, 16);
    if (!o.page) return "--page needs a tab index";
  }
  if ((o.runMs || o.page) && o.screenshot.empty()) return "--run and --page go with --screenshot";
  return {};
}

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
    o.screenshot = Value(cl, cl.screenshot);
    if (o.screenshot.empty()) return "--screenshot needs a file name";
  }
  std::string error;
  if (cl.parser.isSet(cl.select)) error = ParseSelect(Value(cl, cl.select), o);
  if (error.empty()) error = ParseScreenshotRun(cl, o);
  if (error.empty() && cl.parser.isSet(cl.values)) error = ParseValues(Value(cl, cl.values), o);
  if (error.empty() && cl.parser.isSet(cl.stale))
    error = ParseComponents(Value(cl, cl.stale), "unknown component: ", o.stale);
  if (!error.empty()) return error;
  if (cl.parser.isSet(cl.pause)) {
    const auto ms = DecimalIn(Value(cl, cl.pause), kMinRequestPause, kMaxRequestPause);
    if (!ms) return "--pause needs milliseconds from 20 to 1000";
    o.pause = *ms;
  }
  if (cl.parser.isSet(cl.lang)) {
    o.lang = Value(cl, cl.lang);
    if (!IsLanguage(o.lang)) return "--lang is " + LanguageCodesText() + ", not " + o.lang;
  }
  return ParsePlot(cl, o);
}

// --plot: the chart tab's picture of a whole CSV, offscreen. The file is
// read twice, streaming: once for its row count and the columns that hold
// values, then into arrays of just the time and the chosen columns. 0, or 1
// when the CSV cannot be read or the PNG written.
int Plot(const Options& o) {
  std::string error;
  PlotCsvParser scan({}, nullptr);
  if (!ParsePlotCsvFile(o.plot, scan, error)) {
    std::fprintf(stderr, "kalvex: %s\n", error.c_str());
    return 1;
  }
  std::vector<Component> lanes = o.columns;
  for (Component c : lanes) {
    if (std::find(scan.header().begin(), scan.header().end(), c) == scan.header().end()) {
      std::fprintf(stderr, "kalvex: %s has no column %s\n", o.plot.c_str(),
                   std::string(ComponentName(c)).c_str());
      return 2;
    }
  }
  if (lanes.empty()) lanes = DefaultChartComponents(scan.filled());

  ChartSeries series;
  PlotCsvParser load(lanes, &series);
  series.reserve(scan.rows());
  if (!ParsePlotCsvFile(o.plot, load, error)) {
    std::fprintf(stderr, "kalvex: %s\n", error.c_str());
    return 1;
  }
  std::vector<ChartLane> chartLanes;
  for (size_t i = 0; i < lanes.size(); ++i) chartLanes.push_back(LaneOf(lanes[i], i));
  StripChart chart;
  chart.setSeries(&series);
  chart.setLanes(std::move(chartLanes));
  chart.showAll();
  QString note = QCoreApplication::translate("main", "%1: строк %2")
                     .arg(QString::fromStdString(o.plot))
                     .arg(series.size());
  if (load.clipped() > 0) {
    std::fprintf(stderr, "kalvex: %s: %zu values beyond ±3.4e38 drawn at that limit\n",
                 o.plot.c_str(), load.clipped());
    note += QCoreApplication::translate("main",
                                        "; значений за пределами ±3.4e38: %1 (показаны на границе)")
                .arg(load.clipped());
  }
  chart.setNote(note);
  chart.resize(1024, 600);
  if (!SavePngAtomically(chart.grab().toImage(), o.out, error)) {
    std::fprintf(stderr, "kalvex: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
constexpr const char* kNoDisplay = QT_TRANSLATE_NOOP(
    "main",
    "kalvex: нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY); запустите "
    "программу в графическом сеансе или воспользуйтесь kalvex-cli");

// Qt ends the process with an abort and a page of advice when no platform
// plugin can open its display; one line and status 1 say it plainly, with
// the first thing Qt said (the display it could not reach). What Qt says
// while a display opens fine is passed on afterwards.
QStringList& EarlyMessages() {
  static QStringList messages;
  return messages;
}

void FatalWithoutDisplay(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    EarlyMessages() << message;
    return;
  }
  const QString reason =
      (EarlyMessages().isEmpty() ? message : EarlyMessages().first()).section('\n', 0, 0).trimmed();
  std::fprintf(
      stderr, "%s\n",
      QString::fromUtf8(
          Early(QT_TRANSLATE_NOOP("main", "kalvex: не удалось открыть графический дисплей (%1)")))
          .arg(reason)
          .toLocal8Bit()
          .constData());
  std::fflush(stderr);
  std::_Exit(1);
}
#endif

// The language: --lang, else the choice remembered from "О программе",
// else Russian, the window's own. Installs the translators (which must live
// as long as the application) and returns the language's code.
std::string UseChosenLanguage(const Options& o, QTranslator& qtTranslator,
                              QTranslator& kalvexTranslator) {
  const std::string language =
      ChooseLanguage(o.lang, o.lang.empty() ? SettingsStore().read().language : std::string());
  const QString code = QString::fromStdString(language);
  if (language != kSourceLanguage) {
    // Ours from the program's resources, kalvex_XX.qm by the language's code.
    if (kalvexTranslator.load(":/i18n/kalvex_" + code + ".qm"))
      QApplication::installTranslator(&kalvexTranslator);
    // Messages the core puts together (port errors, the log's) from the
    // same translations.
    cli::UseLanguage(language);
  }
  // Qt's own dialogs and buttons in the window's language, like the rest of
  // it (qt6-translations-l10n); Qt writes them in English, and without the
  // file they stay English.
  if (language != kQtSourceLanguage &&
      qtTranslator.load(QLocale(code), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);
  return language;
}

// The window, with the demo's simulator behind its first port when asked;
// a screenshot instead of a session when asked. The exit status.
int RunWindow(const Options& o, const std::string& language, QApplication& app) {
  WindowOptions wo;
  wo.extraPorts = o.ports;
  wo.writeSettingsOnClose = o.screenshot.empty();
  wo.requestPause = o.pause;
  wo.language = language;
  std::unique_ptr<DemoSimulator> demo;
  if (o.demo) {
    std::string demoError;
    demo = StartDemoSimulator(demoError);
    if (!demo) return Fail("demo mode: " + demoError);
    wo.leadingPorts.push_back(demo->portPath());
    wo.leadingPortLabels.push_back(
        QCoreApplication::translate("main", "Демо (симулятор)").toStdString());
    wo.leadingPortSelected = true;
  }

  MainWindow form(wo);
  if (demo) AttachDemoSimulator(*demo, form);
  if (o.selectMake) form.selectMake(*o.selectMake);
  if (o.selectEcu) form.selectEcuType(*o.selectEcu);
  for (const auto& [c, v] : o.values) form.setGaugeValue(c, v);
  for (Component c : o.stale) form.dashboard()->pinStale(c);

  if (!o.screenshot.empty()) {
    form.setModalErrors(false);
    form.show();
    QApplication::processEvents();
    if (o.runMs) {
      form.onStartClicked();
      QEventLoop running;
      QTimer::singleShot(*o.runMs, &running, &QEventLoop::quit);
      running.exec();
    }
    if (o.page) form.showPage(*o.page);
    QApplication::processEvents();
    std::string saveError;
    if (!SavePngAtomically(form.grab().toImage(), o.screenshot, saveError)) return Fail(saveError);
    form.shutDown();
    return 0;
  }

  form.show();
  const int rc = app.exec();
  form.shutDown();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything opens: a closed stdout must not become the serial port.
  if (!OpenMissingStandardDescriptors()) return 1;
  // Settings follow HOME; without it (a service, a cron job) they go to the
  // user's home from the user database, as the logs do, not to "/".
  if (const char* home = std::getenv("HOME"); !home || !*home) {
    const std::string found = HomeFolder();
    if (!found.empty()) qputenv("HOME", found.c_str());
  }
  // Parsed before the application exists, so a screenshot can still choose
  // the offscreen platform.
#ifdef _WIN32
  UseParentConsole();
#endif
  const QStringList args = Arguments(argc, argv);
  CommandLine cl;
  Options o;
  const std::string error = ParseArgs(cl, args, o);
  if (!error.empty()) return Fail(error);
  gEarlyLanguage = o.lang;
  if (o.help || o.version) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName("kalvex");
    QCoreApplication::setApplicationVersion(KALVEX_VERSION);
    const QString text = o.help ? cl.parser.helpText() : "kalvex " KALVEX_VERSION "\n";
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

#ifndef _WIN32
  // A screenshot or a plot needs no screen, and must not fail for want of
  // one (a stale DISPLAY, say): both always render offscreen. Windows always
  // has a screen, and its Qt here has no offscreen platform.
  if (!o.screenshot.empty() || !o.plot.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if ((platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland")) &&
      !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "%s\n", Early(kNoDisplay));
    return 1;
  }
  const QtMessageHandler previous = qInstallMessageHandler(FatalWithoutDisplay);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  for (const QString& m : EarlyMessages())
    std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
#else
  QApplication app(argc, argv);
  // Windows has no DejaVu Sans, which the window draws with: the installer
  // puts it in fonts\ beside the program. Without it (a build folder) Qt
  // falls back to a font of the system's.
  for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
    QFontDatabase::addApplicationFont(QCoreApplication::applicationDirPath() + "/fonts/" + file);
#endif
  QTranslator qtTranslator, kalvexTranslator;
  const std::string language = UseChosenLanguage(o, qtTranslator, kalvexTranslator);
  // The application title (taskbar, message boxes). Set as the name, not as
  // the display name: Qt appends a display name to every window caption.
  QApplication::setApplicationName("Kalvex Scaner PC");
  QApplication::setOrganizationName("Brenvik");
  if (!o.plot.empty()) return Plot(o);

  return RunWindow(o, language, app);
}
