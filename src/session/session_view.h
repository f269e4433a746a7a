// What the session core sees of the main window. The Qt shell implements it
// with real widgets; tests and kalvex-cli implement it with plain fields.
// Every getter is read afresh at each decision (the lists are never cached).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/components.h"
#include "protocol/translate.h"

namespace kalvex {

// The core's own texts, in Russian; the window and kalvex-cli show them
// translated.
inline constexpr const char* kStatusLinked = QT_TRANSLATE_NOOP("kalvex", "Связь с ЭБУ установлена");
inline constexpr const char* kStatusNoLink = QT_TRANSLATE_NOOP("kalvex", "Нет связи с ЭБУ");
// Not one line from the adapter since the start, retries included: a wrong
// port or an adapter without power, not a silent ECU.
inline constexpr const char* kStatusNoAdapter = QT_TRANSLATE_NOOP("kalvex", "Адаптер не отвечает");
// While a Wi-Fi adapter's address is looked up and connected: a pattern,
// %1 is HOST:PORT.
inline constexpr const char* kStatusConnecting = QT_TRANSLATE_NOOP("kalvex", "Подключение к %1…");

// The address kStatusConnecting names for a port text: "tcp://" dropped.
inline std::string ConnectingAddress(const std::string& portText) {
  return portText.rfind("tcp://", 0) == 0 ? portText.substr(6) : portText;
}

// The label's states, for decisions; StatusText gives each its text.
enum class LinkStatus : uint8_t { NoLink, Linked, NoAdapter, Connecting };
constexpr const char* StatusText(LinkStatus s) {
  switch (s) {
    case LinkStatus::Linked:
      return kStatusLinked;
    case LinkStatus::NoAdapter:
      return kStatusNoAdapter;
    case LinkStatus::Connecting:
      return kStatusConnecting;
    case LinkStatus::NoLink:
      break;
  }
  return kStatusNoLink;
}

class SessionView : public GaugeSink {
 public:
  // Item indices: ComboBoxTM (-1 = none), ComboBox4 (-1 = none),
  // ComboBoxTA (-1 = none), PageControl1 active tab.
  virtual int makeIndex() const = 0;
  virtual int ecuTypeIndex() const = 0;
  virtual int adapterIndex() const = 0;
  virtual int activePage() const = 0;
  // Text of the selected ComboBox1 item; empty when nothing is selected.
  virtual std::string portText() const = 0;

  // Enables or disables ComboBox1, ComboBoxTA, ComboBoxTM and ComboBox4.
  virtual void setSelectorsEnabled(bool enabled) = 0;
  // Only ComboBox1 (the unasked 0xC2 reply re-enables just this one).
  virtual void setPortSelectorEnabled(bool enabled) = 0;

  // The session started (true) or stopped (false): Button1 shows the
  // caption of the state, the session never reads it back.
  virtual void showRunning(bool running) = 0;
  virtual void setStatusText(const std::string& text) = 0;  // Label10

  // Memo1: the fault list, replaced as a whole.
  virtual void setFaultLines(const std::vector<std::string>& lines) = 0;

  // The application's standard error display: one message, the program
  // carries on. Called at most once per failure.
  virtual void showError(const std::string& message) = 0;
};

}  // namespace kalvex
