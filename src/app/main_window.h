// TForm1: the main window. A shell: it owns the widgets, forwards clicks and
// list changes to the core and shows what the core decided.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/button_captions.h"
#include "app/settings_store.h"
#include "protocol/clock.h"
#include "session/session_values.h"
#include "session/session_view.h"
#include "session/value_recorder.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kalvex {

class ChartPage;
class Dashboard;
class SessionHost;

struct WindowOptions {
  std::vector<std::string> extraPorts;    // --port PATH, listed after the found ones
  std::vector<std::string> leadingPorts;  // listed first (the demo port)
  // Shown in the list instead of the matching leadingPorts path.
  std::vector<std::string> leadingPortLabels;
  bool leadingPortSelected = false;  // select leadingPorts[0] at start
  bool discoverPorts = true;
  // The port discovery, at start and whenever the list is opened; empty:
  // the platform's own (DiscoverPorts).
  std::function<std::vector<std::string>(const std::vector<std::string>& extra)> discover;
  bool writeSettingsOnClose = true;
  Millis requestPause = 200;    // --pause: before each data request
  std::string language = "ru";  // the language the texts are shown in ("ru", "en")
};

class TForm1 : public QWidget, public SessionView {
  Q_OBJECT
 public:
  explicit TForm1(const WindowOptions& options = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  // Event handlers, named as on the window.
  void FormCreate();
  void FormClose();
  void ComboBoxTMChange();
  void ComboBox4Change();
  void CheckBox1Click();
  void Image1Click();
  void Button1Click();  // start or stop, by the session's state
  void Button2Click();  // "Сброс ошибок": asks first, then clears
  void Button3Click();  // "Прочитать ошибки"
  // The port list built again (each time it is opened): the ports found now,
  // the Wi-Fi addresses, the Wi-Fi item; the selection stays on its device.
  void refreshPortList();
  // A port list item picked; the Wi-Fi item asks for an address.
  void ComboBox1Activated(int index);
  // Asks for a Wi-Fi adapter's HOST:PORT (a dialog; tests replace it).
  std::function<std::optional<std::string>()> askWifiAddress;

  // SessionView
  int makeIndex() const override;
  int ecuTypeIndex() const override;
  int adapterIndex() const override;
  int activePage() const override;
  std::string portText() const override;
  void setSelectorsEnabled(bool enabled) override;
  void setPortSelectorEnabled(bool enabled) override;
  std::string buttonCaption() const;  // what Button1 shows
  void showRunning(bool running) override;
  void setStatusText(const std::string& text) override;
  void setFaultLines(const std::vector<std::string>& lines) override;
  void showError(const std::string& message) override;
  void setGaugeValue(Component c, float value) override;

  // Chooses a make / ECU type as the user would (for --select and tests).
  void selectMake(int make);
  void selectEcuType(int ecu);

  Dashboard* dashboard() const { return dashboard_; }
  ChartPage* chartPage() const { return chart_; }
  // The rows of the current session, one per accepted reply.
  const SessionValues& sessionValues() const { return *values_; }
  SessionHost* sessionHost() const { return host_.get(); }
  // Errors shown so far (the error display also keeps them for tests).
  const std::vector<std::string>& shownErrors() const { return errors_; }
  // The dashboard's note that fault codes are being read, so the gauges
  // stand still.
  bool faultReadNoteShown() const;
  // When false, showError does not open a modal box (tests, screenshots).
  void setModalErrors(bool on) { modalErrors_ = on; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildWidgets();
  QWidget* buildBanner();
  void restorePort(const Settings& s);
  void selectPortData(const QString& device);
  bool isWifiItem(int index) const;
  void updateReadButton();
  void buildLanguageChoice();
  void LanguageBoxChange();
  QString aboutText() const;
  void replyHandled();  // one row per reply that set values; the fault-read note

  WindowOptions options_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<SessionHost> host_;
  bool closed_ = false;
  bool modalErrors_ = true;
  std::vector<std::string> errors_;
  std::vector<std::string> networkPorts_;  // Wi-Fi addresses, as they stand in the list
  QString lastPort_;                       // the device selected before the Wi-Fi item
  std::string caption_ = kCaptionStart;    // Button1's caption as the session set it
  std::string language_;                   // LANGUAGE as stored or chosen; empty: never chosen

  QTabWidget* PageControl1 = nullptr;
  Dashboard* dashboard_ = nullptr;
  ChartPage* chart_ = nullptr;
  std::unique_ptr<SessionValues> values_ = std::make_unique<SessionValues>();
  ValueRecorder recorder_{values_.get()};  // the session's values, rows into values_
  QLabel* Label12 = nullptr;               // "Чтение ошибок: ..." over the dashboard
  QLabel* Label8 = nullptr;
  QLabel* Label1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPlainTextEdit* Memo3 = nullptr;
  QLabel* Label7 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLabel* Label9 = nullptr;
  QComboBox* ComboBoxTA = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* ComboBoxTM = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QPushButton* Button1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QWidget* ToolBar1 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Image1 = nullptr;
  QComboBox* LanguageBox = nullptr;  // on "О программе"
  QLabel* LanguageNote = nullptr;
};

}  // namespace kalvex
