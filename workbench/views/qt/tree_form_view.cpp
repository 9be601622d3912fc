#include "workbench/views/qt/tree_form_view.h"

#include <QApplication>
#include <QIcon>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <algorithm>

#include "workbench/views/list_columns.h"

namespace orv::workbench::views {

namespace {

constexpr int kGlyphStep = 18;
// The widest the nesting column grows by itself, in widths of "A".
constexpr int kMaxTreeColumnUnits = 40;

}  // namespace

void GlyphStripDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QVariantList glyphs = index.data(kGlyphStripRole).toList();
  if (glyphs.isEmpty()) return QStyledItemDelegate::paint(painter, option, index);
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  opt.icon = QIcon();
  opt.features &= ~QStyleOptionViewItem::HasDecoration;
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  // Background, selection and focus as every other cell.
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  const QRect r = opt.rect;
  int x = r.x() + 2;
  for (const QVariant& glyph : glyphs) {
    const QIcon icon = glyph.value<QIcon>();
    if (!icon.isNull()) icon.paint(painter, QRect(x, r.y() + std::max(0, (r.height() - 16) / 2), 16, 16));
    x += kGlyphStep;
  }
  const QRect textRect(x, r.y(), std::max(0, r.right() - x), r.height());
  const QFontMetrics& metrics = opt.fontMetrics;
  // Cut with "..." only when the text does not fit.
  const std::string fitted = fitCellText(text.toStdString(), textRect.width() + 4, [&](std::string_view t) {
    return metrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
  });
  const QPalette::ColorGroup group = (opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                 : QPalette::Text));
  painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(fitted));
  painter->restore();
}

QSize GlyphStripDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  const int glyphs = static_cast<int>(index.data(kGlyphStripRole).toList().size());
  size.rwidth() += glyphs * kGlyphStep;
  size.setHeight(std::max(size.height(), 18));
  return size;
}

TreeFormView::TreeFormView(const std::string& settingsFile, const std::string& section, std::vector<int> units,
                           QWidget* parent)
    : QTreeView(parent),
      expansion_(settingsFile, section),
      units_(std::move(units)),
      feeder_({[this](std::size_t max) { return feed(max); }, nullptr, [this] { fedAll(); }, [this] { emit rowsFed(); }},
              this) {
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  setIndentation(14);
  // A double click views or edits, as in the list.
  setExpandsOnDoubleClick(false);
  setItemDelegate(new GlyphStripDelegate(this));
  QHeaderView* titles = header();
  titles->setSectionsMovable(false);
  titles->setSectionsClickable(false);
  titles->setStretchLastSection(true);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (!applying_) expansion_.setCollapsed(index.data(kTreeKeyRole).toString().toStdString(), true);
  });
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (!applying_) expansion_.setCollapsed(index.data(kTreeKeyRole).toString().toStdString(), false);
  });
}

void TreeFormView::setColumnUnits() {
  // The columns stand at whole widths of "A", as the titles above them.
  const int cw = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('A')));
  for (std::size_t i = 0; i + 1 < units_.size(); ++i)
    header()->resizeSection(static_cast<int>(i), std::max(units_[i] * cw, i < minimum_.size() ? minimum_[i] : 0));
}

void TreeFormView::setMinimumColumnWidth(int column, int pixels) {
  if (column < 0) return;
  if (minimum_.size() <= static_cast<std::size_t>(column)) minimum_.resize(static_cast<std::size_t>(column) + 1, 0);
  minimum_[static_cast<std::size_t>(column)] = pixels;
  setColumnUnits();
}

void TreeFormView::widenTreeColumn() {
  if (!model()) return;
  const int column = treePosition() < 0 ? 0 : treePosition();
  const QFontMetrics metrics(font());
  int widest = header()->sectionSize(column);
  // Every row once, from the model's texts: no library call.
  std::vector<std::pair<QModelIndex, int>> pending{{QModelIndex(), 0}};
  while (!pending.empty()) {
    const auto [parent, depth] = pending.back();
    pending.pop_back();
    const int rows = model()->rowCount(parent);
    for (int row = 0; row < rows; ++row) {
      const QModelIndex index = model()->index(row, column, parent);
      if (isFirstColumnSpanned(row, parent)) continue;
      const int glyphs = static_cast<int>(index.data(kGlyphStripRole).toList().size());
      const int width = (depth + (rootIsDecorated() ? 1 : 0)) * indentation() + glyphs * kGlyphStep +
                        metrics.horizontalAdvance(index.data().toString()) + 12;
      widest = std::max(widest, width);
      const QModelIndex first = index.siblingAtColumn(0);
      if (model()->rowCount(first) > 0) pending.emplace_back(first, depth + 1);
    }
  }
  // Never so wide that one deep branch pushes the other columns away: past
  // that the user widens it (a cut text ends in "..." and its tip shows it
  // whole).
  const int cw = std::max(1, metrics.horizontalAdvance(QLatin1Char('A')));
  widest = std::min(widest, kMaxTreeColumnUnits * cw);
  if (widest > header()->sectionSize(column)) header()->resizeSection(column, widest);
}

void TreeFormView::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::FontChange && model()) setColumnUnits();
}

void TreeFormView::startFeeding() { feeder_.start(); }

void TreeFormView::finishFill() { feeder_.finish(); }

void TreeFormView::selectAll() {
  finishFill();
  QTreeView::selectAll();
}

void TreeFormView::openRows(const QModelIndex& parent, int first, int last) {
  if (!model()) return;
  applying_ = true;
  // The first rows under a row open it.
  if (parent.isValid() && !isExpanded(parent) &&
      !expansion_.collapsed(parent.data(kTreeKeyRole).toString().toStdString()))
    setExpanded(parent, true);
  std::vector<QModelIndex> pending;
  for (int row = first; row <= last; ++row) pending.push_back(model()->index(row, 0, parent));
  while (!pending.empty()) {
    const QModelIndex index = pending.back();
    pending.pop_back();
    const int below = model()->rowCount(index);
    if (below == 0) continue;
    if (!expansion_.collapsed(index.data(kTreeKeyRole).toString().toStdString())) setExpanded(index, true);
    for (int row = 0; row < below; ++row) pending.push_back(model()->index(row, 0, index));
  }
  applying_ = false;
}

void TreeFormView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeView::selectionChanged(selected, deselected);
  emit selectionChangedByUser();
}

}  // namespace orv::workbench::views
