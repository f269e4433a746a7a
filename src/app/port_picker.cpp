#include "app/port_picker.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>
#include <algorithm>

#include "app/window_text.h"
#include "link/link_factory.h"
#include "link/port_discovery.h"

namespace kalvex {

namespace {

// The last item of the port list, and the data role that marks it.
constexpr const char* kWifiItem = QT_TRANSLATE_NOOP("kalvex::PortPicker", "Wi-Fi адаптер…");
constexpr int kWifiRole = Qt::UserRole + 1;
// Marks a port this user may not open.
constexpr int kNoAccessRole = Qt::UserRole + 2;

// The port list, built again just before it opens: adapters plugged in
// after start appear, unplugged ones go.
class PortComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;
  QString keep;  // the end of the current text that must show whole
  void showPopup() override {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
  }

 protected:
  // As QComboBox draws itself, but a text too long for the field is elided
  // in the middle, the access mark kept whole, instead of being cut off.
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    p.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    opt.currentText = FitPortText(opt.currentText, keep, fontMetrics(), field.width() - 4);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
  }
};

// Asks for HOST:PORT. The usual address of these adapters is only a hint in
// the empty field: nothing is connected to unless the user types it.
std::optional<std::string> AskWifiAddress(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("WifiDialog");
  dialog.setWindowTitle(PortPicker::tr("Wi-Fi адаптер"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* hint = new QLabel(PortPicker::tr(
      "Подключите компьютер к сети Wi-Fi адаптера\nи введите его адрес и порт (ХОСТ:ПОРТ):"));
  layout->addWidget(hint);
  auto* edit = new QLineEdit;
  edit->setObjectName("WifiAddress");
  edit->setPlaceholderText("192.168.0.10:35000");
  edit->setMinimumWidth(260);
  layout->addWidget(edit);
  auto* problem = new QLabel;
  problem->setStyleSheet("color: #b00000");
  problem->hide();
  layout->addWidget(problem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(PortPicker::tr("ОК"));
  buttons->button(QDialogButtonBox::Cancel)->setText(PortPicker::tr("Отмена"));
  layout->addWidget(buttons);
  std::optional<std::string> result;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const std::string text = edit->text().trimmed().toStdString();
    if (!IsNetworkPortText(text)) {
      problem->setText(PortPicker::tr("Неверный адрес: нужно ХОСТ:ПОРТ"));
      problem->show();
      return;
    }
    result = text;
    dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return result;
}

// The ports found now. A port this user may not open is listed, marked:
// start then says why and what to do, instead of the adapter being simply
// missing.
std::vector<PortEntry> FoundPorts(const PortSources& sources) {
  std::vector<PortEntry> found;
  if (sources.discoverPorts && sources.discoverEntries) {
    found = sources.discoverEntries(sources.extraPorts);
  } else if (!sources.discoverPorts) {
    for (const std::string& p : sources.extraPorts) found.push_back({p, false});
  } else if (sources.discover) {
    for (const std::string& p : sources.discover(sources.extraPorts)) found.push_back({p, false});
  } else {
    found = DiscoverPortEntries(sources.extraPorts);
  }
  return found;
}

}  // namespace

QString FitPortText(const QString& text, const QString& keep, const QFontMetrics& metrics,
                    int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  if (keep.isEmpty() || !text.endsWith(keep))
    return metrics.elidedText(text, Qt::ElideMiddle, width);
  const QString head = text.left(text.size() - keep.size());
  return metrics.elidedText(head, Qt::ElideMiddle,
                            std::max(0, width - metrics.horizontalAdvance(keep))) +
         keep;
}

PortPicker::PortPicker(const PortSources& sources, QWidget* parent, const QRect& geometry)
    : QObject(parent), sources_(sources) {
  auto* list = new PortComboBox(parent);
  list->setObjectName("ComboBox1");
  list->setGeometry(geometry);
  list->beforePopup = [this] { refresh(); };
  list_ = list;
  connect(list_, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { onActivated(index); });
  connect(list_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          [this, list](int index) {
            if (index >= 0 && !isWifiItem(index)) lastPort_ = list_->itemData(index).toString();
            // The whole text on hover, for when the field had to shorten it.
            list_->setToolTip(index >= 0 ? list_->itemText(index) : QString());
            list->keep = index >= 0 && !isAccessible(index) ? Shown(kNoAccessMark) : QString();
          });
}

void PortPicker::refresh() {
  const int current = list_->currentIndex();
  const QString keep =
      current >= 0 && !isWifiItem(current) ? list_->itemData(current).toString() : QString();
  {
    const QSignalBlocker quiet(list_);
    list_->clear();
    // Each item carries the device it opens; the list may show a friendlier
    // text (the demo port).
    for (size_t i = 0; i < sources_.leadingPorts.size(); ++i) {
      const std::string& path = sources_.leadingPorts[i];
      const std::string& label =
          i < sources_.leadingPortLabels.size() ? sources_.leadingPortLabels[i] : path;
      list_->addItem(Q(label), Q(path));
    }
    for (const PortEntry& p : FoundPorts(sources_)) {
      list_->addItem(Q(p.path) + (p.noPermission ? Shown(kNoAccessMark) : QString()), Q(p.path));
      if (p.noPermission) list_->setItemData(list_->count() - 1, true, kNoAccessRole);
      // A USB adapter's name tells which of several it is.
      if (const std::string id = SerialByIdName(p.path); !id.empty())
        list_->setItemData(list_->count() - 1, Q(id), Qt::ToolTipRole);
    }
    for (const std::string& a : networkPorts_) {
      if (list_->findData(Q(a)) >= 0) continue;
      list_->addItem(Q(a), Q(a));
      list_->setItemData(list_->count() - 1, tr("Wi-Fi адаптер"), Qt::ToolTipRole);
    }
    list_->addItem(tr(kWifiItem));
    list_->setItemData(list_->count() - 1, true, kWifiRole);
    list_->setItemData(list_->count() - 1,
                       tr("Адаптер Wi-Fi: подключитесь к его сети и укажите адрес ХОСТ:ПОРТ"),
                       Qt::ToolTipRole);
    list_->setCurrentIndex(-1);
  }
  fitPopupWidth();
  if (!keep.isEmpty()) selectDevice(keep);
}

void PortPicker::fitPopupWidth() {
  // The open list is as wide as its longest item, so no mark is cut off.
  const QFontMetrics metrics(list_->view()->font());
  int widest = 0;
  for (int i = 0; i < list_->count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(list_->itemText(i)));
  const int margins = 2 * list_->view()->frameWidth() +
                      list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
  list_->view()->setMinimumWidth(std::max(list_->width(), widest + margins));
}

void PortPicker::restore(const Settings& s) {
  const int leading = leadingCount();
  if (sources_.leadingPortSelected && leading > 0) {
    list_->setCurrentIndex(0);
    return;
  }
  if (s.port) {
    // A Wi-Fi adapter's address stands in the list like a device.
    if (IsNetworkPortText(*s.port)) {
      networkPorts_.push_back(*s.port);
      refresh();
    }
    // The device the user chose last time, wherever it is listed now; when
    // it is not plugged in, nothing rather than some other port.
    int found = -1;
    for (int i = leading; i < list_->count() && found < 0; ++i)
      if (list_->itemData(i).toString().toStdString() == *s.port) found = i;
    list_->setCurrentIndex(found);
    return;
  }
  const int listed = list_->count() - 1;  // not the Wi-Fi item
  if (s.com == -1) {
    // Nothing stored: the first port this user may open; one that start
    // would refuse (the machine's own console) is never offered as a choice.
    int first = -1;
    for (int i = leading; i < listed && first < 0; ++i)
      if (isAccessible(i)) first = i;
    list_->setCurrentIndex(first);
    return;
  }
  // The stored index counts only the discovered ports; an index beyond
  // the list selects nothing.
  const int com = s.com;
  list_->setCurrentIndex(com >= 0 && com + leading < listed ? com + leading : -1);
}

void PortPicker::store(Settings& s, const Settings& stored) const {
  const int leading = leadingCount();
  const int idx = list_->currentIndex();
  // The demo port is ours, not the user's: never store it; keep what the
  // user had stored instead.
  s.com = idx >= 0 && idx < leading ? stored.com : (idx < 0 ? -1 : idx - leading);
  if (idx >= leading && !isWifiItem(idx)) s.port = list_->itemData(idx).toString().toStdString();
}

void PortPicker::selectDevice(const QString& device) {
  list_->setCurrentIndex(device.isEmpty() ? -1 : list_->findData(device));
}

bool PortPicker::isAccessible(int index) const {
  return !list_->itemData(index, kNoAccessRole).toBool();
}

bool PortPicker::hasPorts() const {
  for (int i = 0; i < list_->count(); ++i)
    if (!isWifiItem(i)) return true;
  return false;
}

bool PortPicker::isWifiItem(int index) const {
  return index >= 0 && list_->itemData(index, kWifiRole).toBool();
}

void PortPicker::onActivated(int index) {
  if (!isWifiItem(index)) return;
  const QString previous = lastPort_;
  const std::optional<std::string> address =
      askWifiAddress ? askWifiAddress() : AskWifiAddress(list_->window());
  if (!address) {
    selectDevice(previous);  // cancelled: back to where it was
    return;
  }
  if (std::find(networkPorts_.begin(), networkPorts_.end(), *address) == networkPorts_.end())
    networkPorts_.push_back(*address);
  refresh();
  selectDevice(Q(*address));
}

std::string PortPicker::portText() const {
  const int i = list_->currentIndex();
  if (i < 0 || isWifiItem(i)) return {};
  const QVariant device = list_->itemData(i);
  return (device.isValid() ? device.toString() : list_->currentText()).toStdString();
}

}  // namespace kalvex
