// MainWindow: the main window. A shell: it composes the pages, the port
// picker and the selectors, forwards clicks and list changes to the core and
// shows what the core decided.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/button_captions.h"
#include "app/port_picker.h"
#include "app/settings_store.h"
#include "protocol/clock.h"
#include "protocol/languages.h"
#include "session/session_values.h"
#include "session/session_view.h"
#include "session/value_recorder.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kalvex {

class AboutPage;
class ChartPage;
class FaultReadNote;
class Dashboard;
class FaultsPage;
class ObdPanel;
class SessionHost;

struct WindowOptions : PortSources {
  bool writeSettingsOnClose = true;
  Millis requestPause = 200;               // --pause: before each data request
  std::string language = kSourceLanguage;  // the texts are shown in (protocol/languages.h)
};

class MainWindow : public QWidget, public SessionView {
  Q_OBJECT
 public:
  explicit MainWindow(const WindowOptions& options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Stops the session and stores the settings (once; closing does it too).
  void shutDown();

  // Event handlers.
  void onMakeChosen();
  void onEcuTypeChosen();
  void onLogToggled();
  void onBannerClicked();
  void onStartClicked();          // start or stop, by the session's state
  void onClearFaultsConfirmed();  // "Сброс ошибок", once the user said yes
  void onReadFaultsClicked();     // "Прочитать ошибки"
  void onResumeLiveDataClicked();  // "Продолжить чтение параметров", on the fault-read note

  PortPicker& portPicker() const { return *ports_; }

  // SessionView
  int makeIndex() const override;
  int ecuTypeIndex() const override;
  int adapterIndex() const override;
  int activePage() const override;
  std::string portText() const override;
  void setSelectorsEnabled(bool enabled) override;
  void setPortSelectorEnabled(bool enabled) override;
  std::string buttonCaption() const;  // what startButton shows
  void showRunning(bool running) override;
  void setStatusText(const std::string& text) override;
  void setFaultLines(const std::vector<std::string>& lines) override;
  void showError(const std::string& message) override;
  void setGaugeValue(Component c, float value) override;

  // Chooses a make / ECU type as the user would (for --select and tests).
  void selectMake(int make);
  void selectEcuType(int ecu);
  void showPage(int index);  // the tab of this index (--page, tests)

  Dashboard* dashboard() const { return dashboard_; }
  ChartPage* chartPage() const { return chart_; }
  // The rows of the current session, one per accepted reply.
  const SessionValues& sessionValues() const { return *values_; }
  SessionHost* sessionHost() const { return host_.get(); }
  // The generic OBD-II mode (the last item of the make list).
  ObdPanel* obdPanel() const { return obd_.get(); }
  // Errors shown so far (the error display also keeps them for tests).
  const std::vector<std::string>& shownErrors() const { return errors_; }
  // The note that fault codes are being read, so the gauges stand still,
  // with the button that brings live data back.
  bool faultReadNoteShown() const;
  // When false, showError does not open a modal box (tests, screenshots).
  void setModalErrors(bool on) { modalErrors_ = on; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void connectSession();
  void buildDashboardPage();
  void buildFaultReadNote();
  void buildFaultsPage();
  void buildSelectors();
  void restoreSettings();
  void replyHandled();  // one row per reply that set values; the fault-read note

  WindowOptions options_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<SessionHost> host_;
  std::unique_ptr<ObdPanel> obd_;
  bool closed_ = false;
  bool modalErrors_ = true;
  std::vector<std::string> errors_;
  std::string caption_ = kCaptionStart;  // startButton's caption as the session set it

  QTabWidget* pages = nullptr;
  Dashboard* dashboard_ = nullptr;
  ChartPage* chart_ = nullptr;
  AboutPage* aboutText = nullptr;  // "О программе", with the language choice
  std::unique_ptr<SessionValues> values_ = std::make_unique<SessionValues>();
  ValueRecorder recorder_{values_.get()};  // the session's values, rows into values_
  FaultReadNote* faultReadNote = nullptr;  // "Чтение ошибок: ..." and the way back to live data
  QLabel* chooseMakeHint = nullptr;
  FaultsPage* faultsPage = nullptr;  // faultList, clearFaultsButton, readFaultsButton
  QPlainTextEdit* vehicleListText = nullptr;
  PortPicker* ports_ = nullptr;  // portList
  QComboBox* adapterList = nullptr;
  QComboBox* makeList = nullptr;
  QComboBox* ecuTypeList = nullptr;
  QPushButton* startButton = nullptr;
  QCheckBox* logCheckBox = nullptr;
  QLabel* statusLabel = nullptr;
  QLabel* banner = nullptr;
};

}  // namespace kalvex
