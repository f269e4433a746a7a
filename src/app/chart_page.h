// The "Графики" page: a strip chart of up to four quantities of the current
// session against time, each on its own scale with its unit. The last five
// minutes are shown and the scroll bar reaches back over the whole session.
// The page only reads SessionValues: appending a row costs the session an
// O(1) push, and the chart catches up on its own timer while it is shown.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/visibility.h"
#include "protocol/components.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace kalvex {

class SessionValues;

// Name and unit of a quantity on the chart ("Обороты", "об/мин").
struct Quantity {
  const char* name;
  const char* unit;
};
Quantity QuantityOf(Component c);

// Up to four: engine speed, coolant, throttle, vehicle speed, where `available`
// has them (the rpm and speed in whole units when both forms are there);
// other available components fill up when fewer than four of those exist.
std::vector<Component> DefaultChartComponents(const Visibility& available);

class ChartPage : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxSeries = 4;
  static constexpr double kVisibleSeconds = 300;  // five minutes

  explicit ChartPage(const SessionValues& values, QWidget* parent = nullptr);
  ~ChartPage() override;

  // The components the chosen make and ECU type set; the choice goes back to
  // the default for them.
  void setAvailable(const Visibility& available);
  void setSelection(const std::vector<Component>& components);
  std::vector<Component> selection() const;

  // A new session: follow its end again.
  void sessionStarted();
  // Shows every row instead of the last five minutes (the --plot picture).
  void showWholeSession(bool whole);
  // Rebuilds the series from the rows (the refresh timer does this while the
  // page is shown and rows came in).
  void refresh();
  // Points now on the chart, all series together.
  int pointCount() const;

  // Saving, as the buttons do without their dialogs. False with `error`.
  bool saveCsv(const std::string& path, std::string& error) const;
  bool savePng(const std::string& path, std::string& error);
  // Where failures of the save buttons go (the window's error display).
  std::function<void(const std::string&)> onError;

  QChartView* chartView() const { return view_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void rebuildSelectors();
  void selectionChanged();
  void saveCsvClicked();
  void savePngClicked();

  const SessionValues& values_;
  Visibility available_{};
  std::array<QComboBox*, kMaxSeries> selectors_{};
  std::array<QLineSeries*, kMaxSeries> series_{};
  std::array<QValueAxis*, kMaxSeries> yAxes_{};
  QValueAxis* xAxis_ = nullptr;
  QChart* chart_ = nullptr;
  QChartView* view_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* saveCsv_ = nullptr;
  QPushButton* savePng_ = nullptr;
  QTimer* timer_ = nullptr;
  bool whole_ = false;
  bool follow_ = true;
  bool updatingScroll_ = false;
  uint64_t shownAppended_ = ~uint64_t{0};
  int points_ = 0;
};

}  // namespace kalvex
