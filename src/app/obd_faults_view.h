// The "Ошибки" page in generic mode: the lamp and the count of stored
// codes, the codes of all three kinds with their descriptions, readiness
// in a mechanic's words and the freeze frame, with the buttons that read
// them again and clear them (after asking). Lies over the makers' page
// while the generic mode is chosen.
#pragma once

#include <QWidget>
#include <functional>

#include "obd/obd_text.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kalvex {

struct ObdResults;

class ObdFaultsView : public QWidget {
  Q_OBJECT
 public:
  explicit ObdFaultsView(obd::Lang lang, QWidget* parent = nullptr);

  void update(const ObdResults& results);
  void clear();
  void setButtonsEnabled(bool on);

  std::function<void()> onRead;
  std::function<void()> onClear;  // after the user agreed
  // Asks the question and calls `yes` if the answer is yes. A window-modal
  // box that blocks nothing unless replaced (tests answer it themselves).
  std::function<void(const QString& question, std::function<void()> yes)> confirm;

  // The question asked before a clear.
  static QString clearQuestion();
  void clearClicked();

  QLabel* milLine() const { return mil_; }
  QTableWidget* codesTable() const { return codes_; }
  QListWidget* readinessList() const { return readiness_; }
  QTableWidget* freezeFrameTable() const { return freeze_; }
  QLabel* freezeFrameHeading() const { return freezeHeading_; }

 private:
  obd::Lang lang_;
  QLabel* mil_ = nullptr;
  QTableWidget* codes_ = nullptr;
  QListWidget* readiness_ = nullptr;
  QLabel* freezeHeading_ = nullptr;
  QTableWidget* freeze_ = nullptr;
  QPushButton* readButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
};

}  // namespace kalvex
