// The "О программе" page: what the program is, where its logs and settings
// are, and the choice of language (taken at the next start).
#pragma once

#include <QChar>
#include <QPlainTextEdit>
#include <QString>
#include <string>

class QComboBox;
class QLabel;
class QMimeData;

namespace kalvex {

class SettingsStore;

// After each separator of a shown path: a long path wraps there, never
// between "C:" and the rest.
inline constexpr QChar kPathBreak{0x200B};
// `path` with kPathBreak after each "/" and "\".
QString WrappablePath(const QString& path);
// QSettings names a registry key "\HKEY_CURRENT_USER\..."; the page names it
// without the leading backslash.
QString RegistryKeyText(const QString& location);

class AboutPage : public QPlainTextEdit {
  Q_OBJECT
 public:
  // `shownLanguage`: the language the window shows now; the choice starts there.
  explicit AboutPage(const std::string& shownLanguage);

  // The program's lines, then its log folder and, given `settings` (may be
  // null), where the settings live.
  void showText(const SettingsStore* settings);

  // LANGUAGE as read at start, kept unless the user chooses another.
  void setStoredLanguage(const std::string& code) { language_ = code; }
  // LANGUAGE as stored or chosen; empty: never chosen.
  const std::string& language() const { return language_; }

 protected:
  QMimeData* createMimeDataFromSelection() const override;

 private:
  void buildLanguageChoice();
  void onLanguageChosen();

  std::string shownLanguage_;
  std::string language_;
  QComboBox* languageBox_ = nullptr;
  QLabel* languageNote_ = nullptr;
};

}  // namespace kalvex
