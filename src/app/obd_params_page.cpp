#include "app/obd_params_page.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "app/obd_mode.h"
#include "app/window_text.h"

namespace kalvex {

namespace {
enum Column { kCaption, kValue, kMin, kMax, kEcu, kColumns };
}

ObdParamsPage::ObdParamsPage(obd::Lang lang, QWidget* parent) : QWidget(parent), lang_(lang) {
  setObjectName("ObdParamsPage");
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName("ObdParamsTable");
  table_->setGeometry(4, 4, 673, 350);
  table_->setFont(UiFont(10));
  table_->setHorizontalHeaderLabels(
      {tr("Параметр"), tr("Значение"), tr("Мин."), tr("Макс."), tr("Блок")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->setWordWrap(false);
  table_->setTextElideMode(Qt::ElideRight);
  QHeaderView* h = table_->horizontalHeader();
  h->setSectionResizeMode(kCaption, QHeaderView::Stretch);
  const int widths[] = {0, 150, 80, 80, 128};
  for (int c = kValue; c < kColumns; ++c) {
    h->setSectionResizeMode(c, QHeaderView::Fixed);
    table_->setColumnWidth(c, widths[c]);
  }
  auto* save = new QPushButton(tr("Сохранить CSV"), this);
  save->setObjectName("ObdSaveCsvButton");
  save->setGeometry(4, 358, 160, 26);
  connect(save, &QPushButton::clicked, this, [this] {
    if (onSaveCsv) onSaveCsv();
  });
  toChart_ = new QPushButton(tr("На график"), this);
  toChart_->setObjectName("ObdToChartButton");
  toChart_->setToolTip(tr("Добавить выбранный параметр на вкладку «Графики»"));
  toChart_->setGeometry(170, 358, 160, 26);
  toChart_->setEnabled(false);
  connect(toChart_, &QPushButton::clicked, this, [this] { addRowToChart(table_->currentRow()); });
  connect(table_, &QTableWidget::currentCellChanged, this,
          [this](int row) { toChart_->setEnabled(chartable(row)); });
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row) { addRowToChart(row); });
  table_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(table_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { showRowMenu(at); });
}

bool ObdParamsPage::chartable(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= keys_.size() || !canChart) return false;
  const auto& [ecu, pid] = keys_[static_cast<size_t>(row)];
  return canChart(ecu, pid);
}

bool ObdParamsPage::addRowToChart(int row) {
  if (!chartable(row) || !onAddToChart) return false;
  const auto& [ecu, pid] = keys_[static_cast<size_t>(row)];
  onAddToChart(ecu, pid);
  return true;
}

void ObdParamsPage::showRowMenu(const QPoint& at) {
  const int row = table_->rowAt(at.y());
  if (row < 0) return;
  table_->selectRow(row);
  QMenu menu(this);
  QAction* add = menu.addAction(tr("На график"));
  add->setEnabled(chartable(row));
  if (menu.exec(table_->viewport()->mapToGlobal(at)) == add) addRowToChart(row);
}

void ObdParamsPage::clear() {
  table_->setRowCount(0);
  keys_.clear();
  toChart_->setEnabled(false);
}

void ObdParamsPage::setCell(int row, int column, const std::string& text) {
  const QString q = QString::fromStdString(text);
  QTableWidgetItem* item = table_->item(row, column);
  if (!item) {
    item = new QTableWidgetItem(q);
    if (column == kValue || column == kMin || column == kMax)
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setToolTip(q);  // the whole text where the column cuts it short
    table_->setItem(row, column, item);
    return;
  }
  if (item->text() == q) return;  // nothing to repaint
  item->setText(q);
  item->setToolTip(q);
  ++cellWrites_;
}

void ObdParamsPage::update(const ObdResults& results) {
  const std::vector<ObdParamRow> rows = ObdParamRows(results, lang_);
  std::vector<std::pair<uint32_t, uint8_t>> keys;
  keys.reserve(rows.size());
  for (const ObdParamRow& r : rows) keys.emplace_back(r.ecu, r.pid);
  if (keys != keys_) {
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(rows.size()));
    keys_ = std::move(keys);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i);
    setCell(row, kCaption, rows[i].caption);
    setCell(row, kValue, rows[i].value);
    setCell(row, kMin, rows[i].min);
    setCell(row, kMax, rows[i].max);
    setCell(row, kEcu, rows[i].ecuName);
  }
  // The polled columns are known later than the rows.
  toChart_->setEnabled(chartable(table_->currentRow()));
}

}  // namespace kalvex
