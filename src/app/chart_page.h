// The "Графики" page: a strip chart of up to six quantities of the current
// session against time, each in its own lane with its own scale. It follows
// the newest rows; the wheel, dragging and "К концу" move through the whole
// session. The page only reads its ChartSource (the makers' SessionValues,
// or the generic session's values): appending a row costs the session an
// O(1) push, and the chart catches up on its own timer (new rows only)
// while it is shown.
#pragma once

#include <QString>
#include <QThread>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/chart_source.h"
#include "catalogue/visibility.h"
#include "protocol/components.h"
#include "ui/chart_data.h"
#include "ui/widgets/strip_chart.h"

class QCheckBox;
class QComboBox;
class QImage;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kalvex {

class SessionValues;

// Up to four: engine speed, coolant, throttle, vehicle speed, where `available`
// has them (the rpm and speed in whole units when both forms are there);
// other available components fill up when fewer than four of those exist.
std::vector<Component> DefaultChartComponents(const Visibility& available);
// The lane of `c` as the `index`th lane: caption, unit, colour, gauge scale.
ChartLane LaneOf(Component c, size_t index);
// "Обороты, об/мин": what the selectors list.
QString CaptionOf(Component c);
// Writes `image` as PNG beside `path` and renames it over `path`; false with
// `error` naming the file and the reason.
bool SavePngAtomically(const QImage& image, const std::string& path, std::string& error);

class ChartPage : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxSeries = StripChart::kMaxLanes;

  explicit ChartPage(const SessionValues& values, QWidget* parent = nullptr);
  ~ChartPage() override;

  // The components the chosen make and ECU type set; the choice goes back to
  // the default for them, or, coming back from another source with the same
  // components, to the lanes chosen before it.
  void setAvailable(const Visibility& available);
  void setSelection(const std::vector<Component>& components);
  std::vector<Component> selection() const;

  // Another source shown instead of the makers' (not owned; it outlives the
  // page's use of it): its list and its default lanes. setAvailable() goes
  // back to the makers'.
  void showSource(const ChartSource* source);
  const ChartSource& source() const { return *source_; }
  // The source's list changed (a new session's quantities): listed again,
  // the default lanes.
  void sourceChanged();
  // The lanes by the source's keys; `key` added as a lane (in the first
  // free selector, or in place of the last when all are used).
  void setKeys(const std::vector<int>& keys);
  std::vector<int> keys() const;
  bool addLane(int key);

  // A new session: follow its end again.
  void sessionStarted();
  // Shows every row instead of following the newest.
  void showWholeSession(bool whole);
  // Takes in the rows that came since the last time (the refresh timer does
  // this while the page is shown and rows came in).
  void refresh();
  // The rows the chart holds, and the values of the chosen quantities in them
  // (once the session drops its oldest rows, up to a sixteenth more than it).
  const ChartSeries& series() const { return series_; }

  // Saving, as the buttons do without their dialogs: written beside the
  // target and renamed over it. False with `error` naming file and reason.
  bool saveCsv(const std::string& path, std::string& error) const;
  bool savePng(const std::string& path, std::string& error);
  // What the save buttons do after their dialogs: the rows are copied here a
  // piece at a time (the picture is grabbed here), and written and renamed
  // over `path` on a thread of their own, so the window never waits for the
  // disk. A long save shows its progress. False (nothing started) while
  // another save runs. Failures go to onError; saveFinished follows either way.
  bool startCsvSave(const std::string& path);
  bool startPngSave(const std::string& path);
  // The window is closing: a CSV save still copying takes the rest of its
  // rows now, while the session's values are still there, and whatever save
  // runs is written out before this returns.
  void finishSave();
  bool saving() const { return saving_; }
  // Where failures of the save buttons go (the window's error display).
  std::function<void(const std::string&)> onError;
  // The save dialogs: they start in saveFolder() (the folder of the last
  // save, kept in the settings) and propose the make's name with the time.
  void setMakeText(const QString& text) { makeText_ = text; }
  void setSaveFolder(const QString& folder) { saveFolder_ = folder; }
  const QString& saveFolder() const { return saveFolder_; }
  // Asks for the file to save to (a dialog; tests replace it): the title,
  // the proposed path, the filter; empty when cancelled.
  std::function<QString(const QString& title, const QString& proposed, const QString& filter)>
      askSavePath;

 signals:
  void saveFinished(bool ok);

 public:
  StripChart* chart() const { return chart_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void rebuildSelectors();
  void selectionChanged();
  void takeRows(bool rebuild);
  void saveCsvClicked();
  void savePngClicked();
  QString chooseSavePath(const QString& title, const QString& suffix, const QString& filter);
  struct CsvSave;
  void copyStep();
  void startWriting(std::function<bool(std::string& error)> write);
  void saveDone(bool ok, const std::string& error);
  void setSaving(bool on, size_t total);

  MakeChartSource make_;
  const ChartSource* source_ = &make_;
  // The makers' lanes while another source is shown.
  struct MakeLanes {
    QString makeText;
    Visibility available;
    std::vector<int> keys;
  };
  std::optional<MakeLanes> makeKeys_;
  QString makeText_;
  QString saveFolder_;
  std::array<QComboBox*, kMaxSeries> selectors_{};
  StripChart* chart_ = nullptr;
  ChartSeries series_;
  std::vector<int> shown_;      // the lanes of series_
  uint64_t takenAppended_ = 0;  // source_->appended() at the last take
  uint64_t takenDropped_ = 0;
  size_t staleFront_ = 0;  // rows at the front the session no longer holds
  QCheckBox* fit_ = nullptr;
  QPushButton* toEnd_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* saveCsv_ = nullptr;
  QPushButton* savePng_ = nullptr;
  QTimer* timer_ = nullptr;
  QProgressBar* progress_ = nullptr;
  bool saving_ = false;
  std::unique_ptr<CsvSave> copy_;  // a CSV save still taking its rows
  // The save being written. A QThread, not a std::thread: Qt cleans up a
  // thread it did not start from another thread, and under wine that
  // cleanup crashed after an image save.
  std::unique_ptr<QThread> writer_;
};

}  // namespace kalvex
