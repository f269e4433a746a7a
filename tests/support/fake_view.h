// A SessionView that records everything the session core does to the window.
// Header-only, for tests of the session, the simulator and kalvex-cli.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/button_captions.h"
#include "session/session_view.h"

namespace kalvex::test {

class FakeView : public SessionView {
 public:
  // What the user has chosen.
  int make = -1;
  int ecu = -1;
  int adapter = 0;
  int page = 0;
  std::string port = "/dev/fake0";

  // What the core did.
  bool selectorsEnabled = true;
  bool portSelectorEnabled = true;
  std::string caption = kCaptionStart;
  std::string status = kStatusNoLink;
  std::vector<std::string> statusHistory;
  std::vector<std::string> faultLines;
  int faultListUpdates = 0;
  std::vector<std::string> errors;
  std::map<Component, float> gauges;
  std::vector<std::pair<Component, float>> gaugeHistory;

  int makeIndex() const override { return make; }
  int ecuTypeIndex() const override { return ecu; }
  int adapterIndex() const override { return adapter; }
  int activePage() const override { return page; }
  std::string portText() const override { return port; }
  void setSelectorsEnabled(bool enabled) override {
    selectorsEnabled = enabled;
    portSelectorEnabled = enabled;
  }
  void setPortSelectorEnabled(bool enabled) override { portSelectorEnabled = enabled; }
  // The start button's caption, as the window shows it for the session's state.
  void showRunning(bool running) override { caption = running ? kCaptionStop : kCaptionStart; }
  void setStatusText(const std::string& text) override {
    status = text;
    statusHistory.push_back(text);
  }
  void setFaultLines(const std::vector<std::string>& lines) override {
    faultLines = lines;
    ++faultListUpdates;
  }
  void showError(const std::string& message) override { errors.push_back(message); }
  void setGaugeValue(Component c, float value) override {
    gauges[c] = value;
    gaugeHistory.emplace_back(c, value);
  }

  float gauge(Component c) const {
    auto it = gauges.find(c);
    return it == gauges.end() ? 0.0f : it->second;
  }
};

}  // namespace kalvex::test
