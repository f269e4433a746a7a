// The "Ошибки" page: the fault lines the session reported and the two
// buttons that read and clear them, enabled by what the make supports.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace kalvex {

class FaultsPage : public QWidget {
  Q_OBJECT
 public:
  FaultsPage();

  std::function<void()> onRead;   // "Прочитать ошибки" clicked
  std::function<void()> onClear;  // "Сброс ошибок" clicked and confirmed

  void setLines(const std::vector<std::string>& lines);  // the core's texts, shown translated
  // Enables the buttons by the make's fault read and clear (-1: none chosen).
  void showMake(int make);

 private:
  void askToClear();

  QPlainTextEdit* faultList = nullptr;
  QPushButton* clearFaultsButton = nullptr;
  QPushButton* readFaultsButton = nullptr;
};

}  // namespace kalvex
