#include "app/chart_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QBuffer>
#include <QImageWriter>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>

#include "app/save_target.h"
#include "link/system_errors.h"
#include "session/session_values.h"

namespace kalvex {

namespace {

constexpr int kRefreshMs = 500;
// Rows a CSV save copies per turn of the event loop: about 2 MB, well
// under a millisecond, so the window's ticks keep their time.
constexpr size_t kCopyStep = 32768;
// From this many rows on, a save shows its progress.
constexpr size_t kShowProgressFrom = 20000;
const QColor kColors[ChartPage::kMaxSeries] = {QColor(200, 40, 30), QColor(30, 90, 200),
                                               QColor(20, 130, 60), QColor(150, 60, 170),
                                               QColor(200, 110, 0), QColor(0, 125, 140)};

// The selectors' order, and which form of a quantity with two forms of the
// same caption and unit (speed, voltage) is listed.
constexpr std::array<Component, kComponentCount> kListOrder = {
    Component::VI_Nmot, Component::VS_Nmot, Component::VI_Speed, Component::VS_Speed,
    Component::VS_TOG,  Component::VS_TANS, Component::VS_THR,   Component::VS_Ub,
    Component::VI_Ub,   Component::VS_DV,   Component::VS_MRV,   Component::VS_MAP};

bool SameQuantity(Component a, Component b) {
  return std::string_view(QuantityOf(a).name) == QuantityOf(b).name &&
         std::string_view(QuantityOf(a).unit) == QuantityOf(b).unit;
}

// Writes `path` through a file beside it that is renamed over it only when
// complete, so a failure leaves no truncated file. The error names the file
// and the reason in our words: Qt's own text is often "Unknown error" for a
// full disk, so the system's code is taken as the failing call left it (on
// POSIX; Windows calls leave errno alone, and Qt's text of the system's
// reason is kept there).
bool SaveAtomically(const std::string& path, const std::function<bool(QSaveFile&)>& write,
                    std::string& error) {
  QSaveFile file(QString::fromStdString(path));
  const auto fail = [&] {
#ifdef _WIN32
    const int code = 0;
#else
    const int code = errno;
#endif
    const QString reason =
        code != 0 ? QString::fromStdString(SaveFailureReason(code)) : file.errorString();
    error = ChartPage::tr("Не удалось записать %1: %2")
                .arg(QString::fromStdString(path), reason)
                .toStdString();
    file.cancelWriting();
    return false;
  };
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) return fail();
  if (!write(file) || file.error() != QFileDevice::NoError) return fail();
  if (!file.commit()) return fail();
  return true;
}

}  // namespace

bool SavePngAtomically(const QImage& image, const std::string& path, std::string& error) {
  if (image.isNull()) {
    error = ChartPage::tr("Не удалось записать %1: пустое изображение")
                .arg(QString::fromStdString(path))
                .toStdString();
    return false;
  }
  // Encoded in memory first: a write that fails inside the PNG encoder (a
  // full disk) leaves it by a long jump that leaks its buffers, and the bytes
  // written here fail with the system's own reason.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    error = ChartPage::tr("Не удалось записать %1: %2")
                .arg(QString::fromStdString(path), buffer.errorString())
                .toStdString();
    return false;
  }
  return SaveAtomically(
      path, [&png](QSaveFile& file) { return file.write(png) == png.size(); }, error);
}

QString CaptionOf(Component c) {
  const Quantity q = QuantityOf(c);
  return QCoreApplication::translate("kalvex", q.name) + ", " +
         QCoreApplication::translate("kalvex", q.unit);
}

ChartLane LaneOf(Component c, size_t index) {
  const Quantity q = QuantityOf(c);
  return {QCoreApplication::translate("kalvex", q.name),
          QCoreApplication::translate("kalvex", q.unit), kColors[index % ChartPage::kMaxSeries],
          GaugeScaleOf(c)};
}

std::vector<Component> DefaultChartComponents(const Visibility& available) {
  std::vector<Component> out;
  auto pick = [&](Component preferred, std::optional<Component> other) {
    if (Shown(available, preferred))
      out.push_back(preferred);
    else if (other && Shown(available, *other))
      out.push_back(*other);
  };
  pick(Component::VI_Nmot, Component::VS_Nmot);
  pick(Component::VS_TOG, std::nullopt);
  pick(Component::VS_THR, std::nullopt);
  pick(Component::VI_Speed, Component::VS_Speed);
  // Fewer than four of those: the rest in the selectors' order, one form of each.
  for (Component c : kListOrder) {
    if (out.size() >= 4) break;
    if (!Shown(available, c)) continue;
    if (std::none_of(out.begin(), out.end(), [&](Component o) { return SameQuantity(o, c); }))
      out.push_back(c);
  }
  return out;
}

ChartPage::ChartPage(const SessionValues& values, QWidget* parent)
    : QWidget(parent), values_(values) {
  auto* grid = new QGridLayout();
  grid->setSpacing(3);
  for (int i = 0; i < kMaxSeries; ++i) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("ChartSelector%1").arg(i + 1));
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(10);
    QPalette pal = box->palette();
    pal.setColor(QPalette::ButtonText, kColors[i]);
    pal.setColor(QPalette::Text, kColors[i]);
    box->setPalette(pal);
    connect(box, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { selectionChanged(); });
    selectors_[static_cast<size_t>(i)] = box;
    grid->addWidget(box, i / 3, i % 3);
  }
  for (int c = 0; c < 3; ++c) grid->setColumnStretch(c, 1);

  chart_ = new StripChart(this);
  chart_->setObjectName("ChartView");
  chart_->setSeries(&series_);

  fit_ = new QCheckBox(tr("по данным"), this);
  fit_->setObjectName("ChartFit");
  fit_->setToolTip(tr("Шкалы по значениям на экране, а не по диапазону приборов"));
  connect(fit_, &QCheckBox::toggled, chart_, &StripChart::setFitToData);
  toEnd_ = new QPushButton(tr("К концу"), this);
  toEnd_->setObjectName("ChartToEnd");
  toEnd_->setToolTip(tr("Следить за новыми значениями (End)"));
  toEnd_->setEnabled(false);
  connect(toEnd_, &QPushButton::clicked, chart_, &StripChart::followEnd);
  connect(chart_, &StripChart::followingChanged, toEnd_,
          [this](bool following) { toEnd_->setEnabled(!following); });
  note_ = new QLabel(this);
  note_->setObjectName("ChartNote");
  note_->setToolTip(tr("Колесо мыши: масштаб времени; перетаскивание: сдвиг; End: к концу"));
  saveCsv_ = new QPushButton("CSV…", this);
  saveCsv_->setObjectName("ChartSaveCsv");
  saveCsv_->setToolTip(tr("Сохранить значения сеанса в CSV"));
  savePng_ = new QPushButton("PNG…", this);
  savePng_->setObjectName("ChartSavePng");
  savePng_->setToolTip(tr("Сохранить график в PNG"));
  connect(saveCsv_, &QPushButton::clicked, this, [this] { saveCsvClicked(); });
  connect(savePng_, &QPushButton::clicked, this, [this] { savePngClicked(); });
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ChartSaveProgress");
  progress_->setToolTip(tr("Сохранение"));
  progress_->setMaximumWidth(120);
  progress_->hide();
  auto* bottom = new QHBoxLayout();
  bottom->setSpacing(4);
  bottom->addWidget(fit_);
  bottom->addWidget(toEnd_);
  bottom->addWidget(note_, 1);
  bottom->addWidget(progress_);
  bottom->addWidget(saveCsv_);
  bottom->addWidget(savePng_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(3);
  layout->addLayout(grid);
  layout->addWidget(chart_, 1);
  layout->addLayout(bottom);

  timer_ = new QTimer(this);
  timer_->setInterval(kRefreshMs);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (isVisible() && values_.appended() != takenAppended_) refresh();
  });
  timer_->start();
  setAvailable({});
}

struct ChartPage::CsvCopy {
  std::string path;
  std::vector<ValueRow> rows;
  uint64_t next = 0;  // the next row to copy, counted from the session's first
  uint64_t end = 0;   // one past the last row the save takes
};

ChartPage::~ChartPage() {
  // A save under way is finished, not cut off: nothing half-written is left.
  if (writer_) writer_->wait();
}

void ChartPage::setAvailable(const Visibility& available) {
  available_ = available;
  rebuildSelectors();
  setSelection(DefaultChartComponents(available));
}

void ChartPage::rebuildSelectors() {
  std::vector<Component> listed;
  for (Component c : kListOrder) {
    if (!Shown(available_, c)) continue;
    if (std::none_of(listed.begin(), listed.end(), [&](Component o) { return SameQuantity(o, c); }))
      listed.push_back(c);
  }
  for (QComboBox* box : selectors_) {
    box->clear();
    box->addItem("—", -1);
    for (Component c : listed) box->addItem(CaptionOf(c), static_cast<int>(c));
  }
}

void ChartPage::setSelection(const std::vector<Component>& components) {
  for (size_t i = 0; i < selectors_.size(); ++i) {
    QComboBox* box = selectors_[i];
    const int wanted = i < components.size() ? static_cast<int>(components[i]) : -1;
    int idx = box->findData(wanted);
    if (idx < 0 && wanted >= 0) {  // the other form of a listed quantity
      box->addItem(CaptionOf(components[i]), wanted);
      idx = box->count() - 1;
    }
    box->setCurrentIndex(idx < 0 ? 0 : idx);
  }
  selectionChanged();
}

std::vector<Component> ChartPage::selection() const {
  std::vector<Component> out;
  for (QComboBox* box : selectors_) {
    const int c = box->currentData().toInt();
    if (c >= 0) out.push_back(static_cast<Component>(c));
  }
  return out;
}

void ChartPage::selectionChanged() {
  shown_ = selection();
  std::vector<ChartLane> lanes;
  for (size_t i = 0; i < selectors_.size(); ++i) {
    const int c = selectors_[i]->currentData().toInt();
    if (c >= 0) lanes.push_back(LaneOf(static_cast<Component>(c), i));
  }
  takeRows(true);
  chart_->setLanes(std::move(lanes));
}

void ChartPage::sessionStarted() {
  takeRows(true);
  chart_->followEnd();
}

void ChartPage::showWholeSession(bool whole) {
  if (whole)
    chart_->showAll();
  else
    chart_->followEnd();
}

void ChartPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
}

void ChartPage::takeRows(bool rebuild) {
  const size_t n = values_.size();
  // Rows appended and dropped since the last take; anything else (a cleared
  // session, more new rows than are held) starts over.
  const uint64_t appended = values_.appended() - takenAppended_;
  const uint64_t dropped = values_.dropped() - takenDropped_;
  if (rebuild || values_.appended() < takenAppended_ || values_.dropped() < takenDropped_ ||
      appended > n || series_.size() < staleFront_ + dropped ||
      series_.size() - staleFront_ - dropped + appended != n) {
    series_.reset(shown_.size());
    series_.reserve(n);
    staleFront_ = 0;
    takenDropped_ = values_.dropped();
    takenAppended_ = values_.appended() - n;
  } else {
    // Rows the session let go of leave the chart in batches: moving the
    // arrays for every dropped row would cost a full session's copy a take.
    staleFront_ += static_cast<size_t>(dropped);
    takenDropped_ = values_.dropped();
    if (staleFront_ >= std::max<size_t>(4096, n / 16)) {
      series_.dropFront(staleFront_);
      staleFront_ = 0;
    }
  }
  std::vector<float> row(shown_.size());
  for (size_t i = n - static_cast<size_t>(values_.appended() - takenAppended_); i < n; ++i) {
    const ValueRow& r = values_[i];
    for (size_t l = 0; l < shown_.size(); ++l) {
      const auto v = r.value(shown_[l]);
      row[l] = v ? *v : std::numeric_limits<float>::quiet_NaN();
    }
    series_.append(static_cast<double>(r.ms) / 1000.0, row.data());
  }
  takenAppended_ = values_.appended();
}

void ChartPage::refresh() {
  takeRows(false);
  chart_->rowsChanged();
  QString note = tr("Строк: %1").arg(values_.size());
  if (values_.dropped() > 0)
    note += tr(" (старые %1 отброшены: хранится не более %2)")
                .arg(values_.dropped())
                .arg(values_.capacity());
  note_->setText(note);
}

bool ChartPage::saveCsv(const std::string& path, std::string& error) const {
  return SaveAtomically(
      path,
      [this](QSaveFile& file) {
        return values_.writeCsv([&file](std::string_view text) {
          return file.write(text.data(), static_cast<qint64>(text.size())) ==
                 static_cast<qint64>(text.size());
        });
      },
      error);
}

bool ChartPage::savePng(const std::string& path, std::string& error) {
  refresh();
  return SavePngAtomically(chart_->grab().toImage(), path, error);
}

QString ChartPage::chooseSavePath(const QString& title, const QString& suffix,
                                  const QString& filter) {
  const QString proposed =
      QDir(SaveStartFolder(saveFolder_))
          .filePath(ProposedSaveName(makeText_, QDateTime::currentDateTime(), suffix));
  const QString path = askSavePath ? askSavePath(title, proposed, filter)
                                   : QFileDialog::getSaveFileName(this, title, proposed, filter);
  if (!path.isEmpty()) saveFolder_ = QFileInfo(path).absolutePath();
  return path;
}

void ChartPage::saveCsvClicked() {
  const QString path = chooseSavePath(tr("Сохранить значения"), "csv", "CSV (*.csv)");
  if (path.isEmpty()) return;
  startCsvSave(path.toStdString());
}

void ChartPage::savePngClicked() {
  const QString path = chooseSavePath(tr("Сохранить график"), "png", "PNG (*.png)");
  if (path.isEmpty()) return;
  startPngSave(path.toStdString());
}

bool ChartPage::startCsvSave(const std::string& path) {
  if (saving_) return false;
  copy_ = std::make_unique<CsvCopy>();
  copy_->path = path;
  copy_->next = values_.dropped();
  copy_->end = values_.appended();  // rows are counted from the first, dropped ones included
  copy_->rows.reserve(values_.size());
  setSaving(true, values_.size());
  copyStep();
  return true;
}

// One piece of the copy, then back to the event loop. Rows that come
// meanwhile are not part of this save; rows the session lets go of before
// they were copied are gone from it too, as they would be from a later save.
void ChartPage::copyStep() {
  if (!copy_) return;  // finished already by finishSave()
  CsvCopy& c = *copy_;
  const bool cleared = values_.appended() < c.end;  // a new session began
  if (!cleared && c.next < c.end) {
    const uint64_t from = std::max<uint64_t>(c.next, values_.dropped());
    if (from < c.end) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kCopyStep, c.end - from));
      c.next = from + values_.copyRows(static_cast<size_t>(from - values_.dropped()), want, c.rows);
    } else {
      c.next = c.end;
    }
  }
  if (!cleared && c.next < c.end) {
    // The copy is the first half of the bar, the writing the second.
    progress_->setValue(static_cast<int>(c.rows.size() / 2));
    QTimer::singleShot(0, this, [this] { copyStep(); });
    return;
  }
  std::unique_ptr<CsvCopy> done = std::move(copy_);
  const size_t total = done->rows.size();
  auto rows = std::make_shared<std::vector<ValueRow>>(std::move(done->rows));
  const std::string path = done->path;
  QPointer<QProgressBar> bar = progress_;
  const size_t shown = progress_->isVisible() ? total : 0;
  startWriting([rows, path, bar, shown, total](std::string& error) {
    size_t lastShown = 0;
    auto progress = [&](size_t rowsDone) {
      // A few dozen updates in all, however many rows.
      if (shown == 0 || rowsDone - lastShown < std::max<size_t>(1, total / 50)) return;
      lastShown = rowsDone;
      const int value = static_cast<int>(total / 2 + rowsDone / 2);
      QMetaObject::invokeMethod(
          bar,
          [bar, value] {
            if (bar) bar->setValue(value);
          },
          Qt::QueuedConnection);
    };
    return SaveAtomically(
        path,
        [&](QSaveFile& file) {
          return WriteCsvRows(
              *rows,
              [&file](std::string_view text) {
                return file.write(text.data(), static_cast<qint64>(text.size())) ==
                       static_cast<qint64>(text.size());
              },
              progress);
        },
        error);
  });
}

void ChartPage::finishSave() {
  while (copy_) copyStep();
  if (writer_) writer_->wait();
}

bool ChartPage::startPngSave(const std::string& path) {
  if (saving_) return false;
  setSaving(true, 0);
  // Painting belongs to this thread; encoding and writing do not.
  refresh();
  const QImage image = chart_->grab().toImage();
  // The image format plugins load here, on the window's thread (once; later
  // calls find them loaded), not on the writer thread: loaded there, a
  // Windows program (under wine at least) could not end after the save.
  QImageWriter::supportedImageFormats();
  startWriting([image, path](std::string& error) { return SavePngAtomically(image, path, error); });
  return true;
}

void ChartPage::startWriting(std::function<bool(std::string& error)> write) {
  if (writer_) writer_->wait();  // finished already: its result came
  writer_.reset(QThread::create([this, write = std::move(write)] {
    std::string error;
    const bool ok = write(error);
    // Dropped by Qt if the page is gone; the destructor waits for this thread.
    QMetaObject::invokeMethod(
        this, [this, ok, error] { saveDone(ok, error); }, Qt::QueuedConnection);
  }));
  writer_->start();
}

void ChartPage::saveDone(bool ok, const std::string& error) {
  if (writer_) writer_->wait();
  setSaving(false, 0);
  if (!ok && onError) onError(error);
  emit saveFinished(ok);
}

void ChartPage::setSaving(bool on, size_t total) {
  saving_ = on;
  saveCsv_->setEnabled(!on);
  savePng_->setEnabled(!on);
  if (on && total >= kShowProgressFrom) {
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(0);
    progress_->show();
  } else if (!on) {
    progress_->hide();
  }
}

}  // namespace kalvex
