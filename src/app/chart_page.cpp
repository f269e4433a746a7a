#include "app/chart_page.h"

#include <QAbstractItemView>
#include <QBuffer>
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

ChartPage::ChartPage(const SessionValues& values, QWidget* parent)
    : QWidget(parent), make_(values) {
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
    if (isVisible() && source_->appended() != takenAppended_) refresh();
  });
  timer_->start();
  setAvailable({});
}

struct ChartPage::CsvSave {
  std::string path;
  std::unique_ptr<ChartCsvCopy> rows;
};

ChartPage::~ChartPage() {
  // A save under way is finished, not cut off: nothing half-written is left.
  if (writer_) writer_->wait();
}

void ChartPage::setAvailable(const Visibility& available) {
  std::optional<std::vector<int>> before;
  if (makeKeys_ && makeKeys_->makeText == makeText_ && makeKeys_->available == available)
    before = makeKeys_->keys;
  makeKeys_.reset();
  make_.setAvailable(available);
  source_ = &make_;
  rebuildSelectors();
  setKeys(before ? *before : make_.defaults());
}

void ChartPage::showSource(const ChartSource* source) {
  if (!source || source == source_) return;
  if (source_ == &make_) makeKeys_ = MakeLanes{makeText_, make_.available(), keys()};
  source_ = source;
  sourceChanged();
}

void ChartPage::sourceChanged() {
  rebuildSelectors();
  setKeys(source_->defaults());
}

void ChartPage::rebuildSelectors() {
  const std::vector<int> listed = source_->listed();
  for (QComboBox* box : selectors_) {
    box->clear();
    box->addItem("—", -1);
    for (int key : listed) box->addItem(source_->caption(key), key);
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 24);
  }
}

void ChartPage::setSelection(const std::vector<Component>& components) {
  std::vector<int> keys;
  for (Component c : components) keys.push_back(static_cast<int>(c));
  setKeys(keys);
}

void ChartPage::setKeys(const std::vector<int>& keys) {
  for (size_t i = 0; i < selectors_.size(); ++i) {
    QComboBox* box = selectors_[i];
    const int wanted = i < keys.size() ? keys[i] : -1;
    int idx = box->findData(wanted);
    if (idx < 0 && wanted >= 0) {  // the other form of a listed quantity
      box->addItem(source_->caption(wanted), wanted);
      idx = box->count() - 1;
    }
    box->setCurrentIndex(idx < 0 ? 0 : idx);
  }
  selectionChanged();
}

std::vector<int> ChartPage::keys() const {
  std::vector<int> out;
  for (QComboBox* box : selectors_) {
    const int key = box->currentData().toInt();
    if (key >= 0) out.push_back(key);
  }
  return out;
}

std::vector<Component> ChartPage::selection() const {
  std::vector<Component> out;
  if (source_ != &make_) return out;
  for (int key : keys()) out.push_back(static_cast<Component>(key));
  return out;
}

bool ChartPage::addLane(int key) {
  const std::vector<int> listed = source_->listed();
  if (std::find(listed.begin(), listed.end(), key) == listed.end()) return false;
  for (QComboBox* box : selectors_)
    if (box->currentData().toInt() == key) return true;  // a lane already
  QComboBox* target = selectors_.back();
  for (QComboBox* box : selectors_) {
    if (box->currentData().toInt() < 0) {
      target = box;
      break;
    }
  }
  target->setCurrentIndex(target->findData(key));
  selectionChanged();
  return true;
}

void ChartPage::selectionChanged() {
  shown_.clear();
  std::vector<ChartLane> lanes;
  for (size_t i = 0; i < selectors_.size(); ++i) {
    const int key = selectors_[i]->currentData().toInt();
    // A long generic caption ("…(ЭБУ двигателя (7E8)), об/мин") is cut in
    // the box; the tooltip and the open list show it whole.
    selectors_[i]->setToolTip(key < 0 ? QString() : selectors_[i]->currentText());
    if (key < 0) continue;
    shown_.push_back(key);
    ChartLane lane = source_->lane(key);
    lane.color = kColors[i % kMaxSeries];
    lanes.push_back(std::move(lane));
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
  const ChartSource& values = *source_;
  const size_t n = values.size();
  // Rows appended and dropped since the last take; anything else (a cleared
  // session, more new rows than are held) starts over.
  const uint64_t appended = values.appended() - takenAppended_;
  const uint64_t dropped = values.dropped() - takenDropped_;
  if (rebuild || values.appended() < takenAppended_ || values.dropped() < takenDropped_ ||
      appended > n || series_.size() < staleFront_ + dropped ||
      series_.size() - staleFront_ - dropped + appended != n) {
    series_.reset(shown_.size());
    series_.reserve(n);
    staleFront_ = 0;
    takenDropped_ = values.dropped();
    takenAppended_ = values.appended() - n;
  } else {
    // Rows the session let go of leave the chart in batches: moving the
    // arrays for every dropped row would cost a full session's copy a take.
    staleFront_ += static_cast<size_t>(dropped);
    takenDropped_ = values.dropped();
    if (staleFront_ >= std::max<size_t>(4096, n / 16)) {
      series_.dropFront(staleFront_);
      staleFront_ = 0;
    }
  }
  std::vector<float> row(shown_.size());
  for (size_t i = n - static_cast<size_t>(values.appended() - takenAppended_); i < n; ++i) {
    for (size_t l = 0; l < shown_.size(); ++l) row[l] = values.value(i, shown_[l]);
    series_.append(values.seconds(i), row.data());
  }
  takenAppended_ = values.appended();
}

void ChartPage::refresh() {
  takeRows(false);
  chart_->rowsChanged();
  QString note = tr("Строк: %1").arg(source_->size());
  if (source_->dropped() > 0)
    note += tr(" (старые %1 отброшены: хранится не более %2)")
                .arg(source_->dropped())
                .arg(source_->capacity());
  note_->setText(note);
}

bool ChartPage::saveCsv(const std::string& path, std::string& error) const {
  return SaveAtomically(
      path,
      [this](QSaveFile& file) {
        return source_->writeCsv([&file](std::string_view text) {
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
  copy_ = std::make_unique<CsvSave>();
  copy_->path = path;
  copy_->rows = source_->startCopy();
  setSaving(true, source_->size());
  copyStep();
  return true;
}

// One piece of the copy, then back to the event loop. Rows that come
// meanwhile are not part of this save; rows the session lets go of before
// they were copied are gone from it too, as they would be from a later save.
void ChartPage::copyStep() {
  if (!copy_) return;  // finished already by finishSave()
  if (copy_->rows->step(kCopyStep)) {
    // The copy is the first half of the bar, the writing the second.
    progress_->setValue(static_cast<int>(copy_->rows->taken() / 2));
    QTimer::singleShot(0, this, [this] { copyStep(); });
    return;
  }
  std::unique_ptr<CsvSave> done = std::move(copy_);
  const size_t total = done->rows->taken();
  std::shared_ptr<const ChartCsvCopy> rows = std::move(done->rows);
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
          return rows->write(
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
