#include "app/chart_page.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "protocol/utf8_path.h"
#include "session/session_values.h"

namespace kalvex {

namespace {

constexpr int kRefreshMs = 500;
// More points than the plot has pixels only cost time: each bucket of rows
// keeps its lowest and highest value.
constexpr int kMaxPointsPerSeries = 1200;
const QColor kColors[ChartPage::kMaxSeries] = {QColor(200, 40, 30), QColor(30, 90, 200),
                                               QColor(20, 140, 60), QColor(150, 60, 170)};

QString Label(Component c) {
  const Quantity q = QuantityOf(c);
  return QString::fromUtf8(q.name) + ", " + QString::fromUtf8(q.unit) + " (" +
         QString::fromUtf8(ComponentName(c).data(), static_cast<int>(ComponentName(c).size())) +
         ")";
}

}  // namespace

Quantity QuantityOf(Component c) {
  switch (c) {
    case Component::VS_Speed:
    case Component::VI_Speed:
      return {"Скорость", "км/ч"};
    case Component::VS_Nmot:
      return {"Обороты", "×100 об/мин"};
    case Component::VI_Nmot:
      return {"Обороты", "об/мин"};
    case Component::VS_TOG:
      return {"Температура ОЖ", "°C"};
    case Component::VS_TANS:
      return {"Температура воздуха", "°C"};
    case Component::VS_Ub:
    case Component::VI_Ub:
      return {"Напряжение", "В"};
    case Component::VS_THR:
      return {"Дроссель", "%"};
    case Component::VS_DV:
      return {"Время впрыска", "мс"};
    case Component::VS_MRV:
      return {"Расход воздуха", "кг/ч"};
    case Component::VS_MAP:
      return {"Давление во впуске", "кПа"};
  }
  return {"", ""};
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
  // Fewer than four of those: the rest in dashboard order, one form of each.
  for (int i = 0; i < kComponentCount && out.size() < ChartPage::kMaxSeries; ++i) {
    const auto c = static_cast<Component>(i);
    if (!Shown(available, c) || std::find(out.begin(), out.end(), c) != out.end()) continue;
    const std::string_view name = QuantityOf(c).name;
    const bool same = std::any_of(out.begin(), out.end(), [&](Component o) {
      return name == QuantityOf(o).name &&
             QuantityOf(o).unit == std::string_view(QuantityOf(c).unit);
    });
    if (!same) out.push_back(c);
  }
  return out;
}

ChartPage::ChartPage(const SessionValues& values, QWidget* parent)
    : QWidget(parent), values_(values) {
  auto* top = new QHBoxLayout();
  top->setSpacing(4);
  for (int i = 0; i < kMaxSeries; ++i) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("ChartSelector%1").arg(i + 1));
    box->setMinimumContentsLength(8);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QPalette pal = box->palette();
    pal.setColor(QPalette::ButtonText, kColors[i]);
    box->setPalette(pal);
    connect(box, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { selectionChanged(); });
    selectors_[static_cast<size_t>(i)] = box;
    top->addWidget(box, 1);
  }
  saveCsv_ = new QPushButton("CSV…", this);
  saveCsv_->setObjectName("ChartSaveCsv");
  saveCsv_->setToolTip("Сохранить значения сеанса в CSV");
  savePng_ = new QPushButton("PNG…", this);
  savePng_->setObjectName("ChartSavePng");
  savePng_->setToolTip("Сохранить график в PNG");
  connect(saveCsv_, &QPushButton::clicked, this, [this] { saveCsvClicked(); });
  connect(savePng_, &QPushButton::clicked, this, [this] { savePngClicked(); });
  top->addWidget(saveCsv_);
  top->addWidget(savePng_);

  chart_ = new QChart();
  chart_->legend()->hide();
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chart_->setBackgroundRoundness(0);
  xAxis_ = new QValueAxis(chart_);
  xAxis_->setTitleText("Время, с");
  xAxis_->setLabelFormat("%.0f");
  xAxis_->setRange(0, kVisibleSeconds);
  chart_->addAxis(xAxis_, Qt::AlignBottom);
  for (int i = 0; i < kMaxSeries; ++i) {
    auto* s = new QLineSeries(chart_);
    QPen pen(kColors[i]);
    pen.setWidthF(1.5);
    s->setPen(pen);
    chart_->addSeries(s);
    auto* y = new QValueAxis(chart_);
    y->setLabelsColor(kColors[i]);
    y->setTitleBrush(kColors[i]);
    y->setLinePenColor(kColors[i]);
    y->setGridLineVisible(i == 0);
    chart_->addAxis(y, i % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
    s->attachAxis(xAxis_);
    s->attachAxis(y);
    series_[static_cast<size_t>(i)] = s;
    yAxes_[static_cast<size_t>(i)] = y;
  }
  view_ = new QChartView(chart_, this);
  view_->setObjectName("ChartView");
  view_->setRenderHint(QPainter::Antialiasing, false);

  scroll_ = new QScrollBar(Qt::Horizontal, this);
  scroll_->setObjectName("ChartScroll");
  scroll_->setRange(0, 0);
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int) {
    if (updatingScroll_) return;
    follow_ = scroll_->value() >= scroll_->maximum();
    shownAppended_ = ~uint64_t{0};
    refresh();
  });
  note_ = new QLabel(this);
  note_->setObjectName("ChartNote");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addLayout(top);
  layout->addWidget(view_, 1);
  layout->addWidget(scroll_);
  layout->addWidget(note_);

  timer_ = new QTimer(this);
  timer_->setInterval(kRefreshMs);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (isVisible() && values_.appended() != shownAppended_) refresh();
  });
  timer_->start();
  setAvailable({});
}

ChartPage::~ChartPage() = default;

void ChartPage::setAvailable(const Visibility& available) {
  available_ = available;
  rebuildSelectors();
  setSelection(DefaultChartComponents(available));
}

void ChartPage::rebuildSelectors() {
  for (QComboBox* box : selectors_) {
    box->clear();
    box->addItem("—", -1);
    for (int i = 0; i < kComponentCount; ++i)
      if (available_[static_cast<size_t>(i)]) box->addItem(Label(static_cast<Component>(i)), i);
  }
}

void ChartPage::setSelection(const std::vector<Component>& components) {
  for (size_t i = 0; i < selectors_.size(); ++i) {
    const int wanted = i < components.size() ? static_cast<int>(components[i]) : -1;
    const int idx = selectors_[i]->findData(wanted);
    selectors_[i]->setCurrentIndex(idx < 0 ? 0 : idx);
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
  for (size_t i = 0; i < selectors_.size(); ++i) {
    const int c = selectors_[i]->currentData().toInt();
    yAxes_[i]->setVisible(c >= 0);
    series_[i]->setVisible(c >= 0);
    if (c >= 0) {
      const Quantity q = QuantityOf(static_cast<Component>(c));
      yAxes_[i]->setTitleText(QString::fromUtf8(q.name) + ", " + QString::fromUtf8(q.unit));
    }
  }
  shownAppended_ = ~uint64_t{0};
  refresh();
}

void ChartPage::sessionStarted() {
  follow_ = true;
  shownAppended_ = ~uint64_t{0};
  refresh();
}

void ChartPage::showWholeSession(bool whole) {
  whole_ = whole;
  scroll_->setVisible(!whole);
  shownAppended_ = ~uint64_t{0};
  refresh();
}

void ChartPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
}

void ChartPage::refresh() {
  shownAppended_ = values_.appended();
  const size_t n = values_.size();
  const double first = n ? values_[0].ms / 1000.0 : 0;
  const double last = n ? values_.back().ms / 1000.0 : 0;

  // The time window: everything, the end of the session, or where the
  // scroll bar points.
  double from = first, to = std::max(last, first + 1.0);
  if (!whole_) {
    const double span = std::max(0.0, last - first - kVisibleSeconds);
    updatingScroll_ = true;
    scroll_->setRange(0, static_cast<int>(std::ceil(span)));
    scroll_->setPageStep(static_cast<int>(kVisibleSeconds));
    scroll_->setSingleStep(10);
    if (follow_) scroll_->setValue(scroll_->maximum());
    updatingScroll_ = false;
    from = first + (follow_ ? span : std::min<double>(scroll_->value(), span));
    to = from + kVisibleSeconds;
  }
  xAxis_->setRange(from, to);
  xAxis_->setLabelFormat(to - from < 20 ? "%.1f" : "%.0f");

  // Rows inside the window.
  auto at = [this](double seconds) {
    const auto ms = static_cast<Millis>(std::floor(seconds * 1000.0));
    size_t lo = 0, hi = values_.size();
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (values_[mid].ms < ms)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  };
  const size_t begin = at(from);
  const size_t end = std::min(values_.size(), at(to) + 1);
  const size_t rows = end > begin ? end - begin : 0;
  const size_t perBucket =
      std::max<size_t>(1, (rows * 2 + kMaxPointsPerSeries - 1) / kMaxPointsPerSeries);

  points_ = 0;
  for (size_t s = 0; s < series_.size(); ++s) {
    const int c = selectors_[s]->currentData().toInt();
    QList<QPointF> pts;
    if (c < 0) {
      series_[s]->replace(pts);
      continue;
    }
    const auto comp = static_cast<Component>(c);
    pts.reserve(static_cast<qsizetype>(std::min<size_t>(rows, kMaxPointsPerSeries + 2)));
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    for (size_t b = begin; b < end; b += perBucket) {
      const size_t e = std::min(end, b + perBucket);
      std::optional<size_t> minAt, maxAt;
      for (size_t i = b; i < e; ++i) {
        const auto v = values_[i].value(comp);
        if (!v || !std::isfinite(*v)) continue;
        if (!minAt || *v < *values_[*minAt].value(comp)) minAt = i;
        if (!maxAt || *v > *values_[*maxAt].value(comp)) maxAt = i;
      }
      if (!minAt) continue;
      const size_t a = std::min(*minAt, *maxAt), z = std::max(*minAt, *maxAt);
      for (size_t i : {a, z}) {
        const float v = *values_[i].value(comp);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        pts.append(QPointF(values_[i].ms / 1000.0, v));
        if (a == z) break;
      }
    }
    if (pts.isEmpty()) {
      yAxes_[s]->setRange(0, 1);
    } else {
      const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(1.0, std::fabs(hi) * 0.05);
      yAxes_[s]->setRange(lo - pad, hi + pad);
    }
    points_ += static_cast<int>(pts.size());
    series_[s]->replace(pts);
  }

  QString note = QString("Строк: %1").arg(values_.size());
  if (values_.dropped() > 0)
    note += QString(". Хранится не более %1 строк: самые старые (%2) отброшены.")
                .arg(values_.capacity())
                .arg(values_.dropped());
  note_->setText(note);
}

int ChartPage::pointCount() const { return points_; }

bool ChartPage::saveCsv(const std::string& path, std::string& error) const {
  std::FILE* f = OpenFileUtf8(path, "wb");
  if (!f) {
    error = "Не удалось записать " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool ok = values_.writeCsv(f);
  const int err = errno;
  if (std::fclose(f) != 0 || !ok) {
    error = "Не удалось записать " + path + ": " + std::strerror(ok ? errno : err);
    return false;
  }
  return true;
}

bool ChartPage::savePng(const std::string& path, std::string& error) {
  refresh();
  const QPixmap pix = view_->grab();
  if (pix.isNull() || !pix.save(QString::fromStdString(path), "PNG")) {
    error = "Не удалось записать " + path;
    return false;
  }
  return true;
}

void ChartPage::saveCsvClicked() {
  const QString path =
      QFileDialog::getSaveFileName(this, "Сохранить значения", "kalvex.csv", "CSV (*.csv)");
  if (path.isEmpty()) return;
  std::string error;
  if (!saveCsv(path.toStdString(), error) && onError) onError(error);
}

void ChartPage::savePngClicked() {
  const QString path =
      QFileDialog::getSaveFileName(this, "Сохранить график", "kalvex.png", "PNG (*.png)");
  if (path.isEmpty()) return;
  std::string error;
  if (!savePng(path.toStdString(), error) && onError) onError(error);
}

}  // namespace kalvex
