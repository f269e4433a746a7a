// "Все параметры" (generic mode only): every supported PID of every ECU
// that answered, one row each: caption, value with unit (words for the
// bit-field PIDs), the lowest and highest seen, the ECU. Rows are set up
// once the PIDs are known and refreshed cell by cell, only where the text
// changed, so nothing flickers at the poll's pace.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "obd/obd_text.h"

class QTableWidget;
class QPushButton;

namespace kalvex {

struct ObdResults;

class ObdParamsPage : public QWidget {
  Q_OBJECT
 public:
  explicit ObdParamsPage(obd::Lang lang, QWidget* parent = nullptr);

  // Rebuilds the rows when the set of PIDs changed, else refreshes the
  // cells in place.
  void update(const ObdResults& results);
  void clear();

  std::function<void()> onSaveCsv;  // "Сохранить CSV" clicked
  // A row's PID asked onto the chart (its context menu's "На график", a
  // double-click, the button for the chosen row); `canChart` says which
  // rows the chart can draw (the others' action is disabled).
  std::function<void(uint32_t ecu, uint8_t pid)> onAddToChart;
  std::function<bool(uint32_t ecu, uint8_t pid)> canChart;
  // What the actions do for `row`: false when it cannot be charted.
  bool addRowToChart(int row);

  QTableWidget* table() const { return table_; }
  // Cell writes that changed a text since the rows were built (tests).
  int cellWrites() const { return cellWrites_; }

 private:
  void setCell(int row, int column, const std::string& text);
  bool chartable(int row) const;
  void showRowMenu(const QPoint& at);

  obd::Lang lang_;
  QTableWidget* table_ = nullptr;
  QPushButton* toChart_ = nullptr;
  std::vector<std::pair<uint32_t, uint8_t>> keys_;  // row → ECU and PID
  int cellWrites_ = 0;
};

}  // namespace kalvex
