// The port list on the window's right: the ports found now (built again each
// time it is opened), the Wi-Fi adapters' addresses and the Wi-Fi item that
// asks for one. The choice is remembered by device (PORT), not by position.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "link/port_discovery.h"

class QComboBox;
class QFontMetrics;
class QRect;
class QWidget;

namespace kalvex {

// Where the list's ports come from.
struct PortSources {
  std::vector<std::string> extraPorts;    // --port PATH, listed after the found ones
  std::vector<std::string> leadingPorts;  // listed first (the demo port)
  // Shown in the list instead of the matching leadingPorts path.
  std::vector<std::string> leadingPortLabels;
  bool leadingPortSelected = false;  // select leadingPorts[0] at start
  bool discoverPorts = true;
  // The port discovery, at start and whenever the list is opened; empty:
  // the platform's own (DiscoverPorts).
  std::function<std::vector<std::string>(const std::vector<std::string>& extra)> discover;
  // The same with each port's access (tests); preferred over `discover`.
  std::function<std::vector<PortEntry>(const std::vector<std::string>& extra)> discoverEntries;
};

// `text` as it fits in `width`: whole when it fits, else the part before
// `keep` (which ends the text) elided in the middle so that `keep` shows
// whole: "/dev/…USB0 (нет доступа)".
QString FitPortText(const QString& text, const QString& keep, const QFontMetrics& metrics,
                    int width);

class PortPicker : public QObject {
  Q_OBJECT
 public:
  // The list is a child of `parent` at `geometry`, empty until refresh().
  PortPicker(const PortSources& sources, QWidget* parent, const QRect& geometry);

  QComboBox* list() const { return list_; }

  // The list built again: the ports found now, the Wi-Fi addresses, the
  // Wi-Fi item; the selection stays on its device.
  void refresh();
  // A list item picked; the Wi-Fi item asks for an address.
  void onActivated(int index);
  // Asks for a Wi-Fi adapter's HOST:PORT (a dialog; tests replace it).
  std::function<std::optional<std::string>()> askWifiAddress;

  // Selects the port stored in `s`: by device (PORT), else by COM index.
  void restore(const Settings& s);
  // Puts the selection into `s` (COM and PORT); the demo port is never
  // stored: `stored`'s COM stays then.
  void store(Settings& s, const Settings& stored) const;
  // The device the selected item opens; empty for none or the Wi-Fi item.
  std::string portText() const;
  // False when the list holds nothing but the Wi-Fi item.
  bool hasPorts() const;

 private:
  void selectDevice(const QString& device);
  bool isWifiItem(int index) const;
  bool isAccessible(int index) const;
  void fitPopupWidth();
  int leadingCount() const { return static_cast<int>(sources_.leadingPorts.size()); }

  PortSources sources_;
  QComboBox* list_ = nullptr;
  std::vector<std::string> networkPorts_;  // Wi-Fi addresses, as they stand in the list
  QString lastPort_;                       // the device selected before the Wi-Fi item
};

}  // namespace kalvex
