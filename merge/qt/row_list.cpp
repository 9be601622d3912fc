// The painted row list (see row_list.h).
#include "merge/qt/row_list.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "merge/diff_view.h"
#include "merge/qt/vardel_ui.h"
#include "merge/window_logic.h"

namespace orv::merge::qt {

namespace {

constexpr int kRowPadding = 2;  // pixels above and below the text
constexpr int kTextMargin = 4;  // pixels left of the text

}  // namespace

QString expandTabs(const QString& text) {
  if (!text.contains('\t')) return text;
  QString out;
  for (QChar c : text) {
    if (c == '\t')
      out += QString(8 - out.size() % 8, ' ');
    else
      out += c;
  }
  return out;
}

RowList::RowList(QWidget* parent) : QAbstractScrollArea(parent) {
  colours_ = defaultColours();
  setFocusPolicy(Qt::StrongFocus);
  setFrameShape(QFrame::StyledPanel);
  viewport()->setAutoFillBackground(false);
}

void RowList::setColours(const ColourTable& colours) {
  colours_ = colours;
  viewport()->update();
}

void RowList::setRowFont(const QFont& font) {
  setFont(font);
  rowsChanged();
}

void RowList::setLineNumbers(bool on) {
  lineNumbers_ = on;
  rowsChanged();
}

int RowList::rowHeight() const { return fontMetrics().height() + kRowPadding * 2; }

int RowList::visibleRows() const { return std::max(1, viewport()->height() / rowHeight()); }

int RowList::topRow() const { return verticalScrollBar()->value(); }

void RowList::setTopRow(int row, bool thumb) {
  thumb_ = thumb;
  verticalScrollBar()->setValue(row);
  thumb_ = false;
}

void RowList::showRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  if (row < topRow() || row >= topRow() + visibleRows()) setTopRow(row);
  caret_ = row;
  viewport()->update();
}

int RowList::longestRow() const {
  int longest = 0;
  for (int r = 0, n = rowCount(); r < n; ++r) longest = std::max<int>(longest, rowText(r).size());
  return longest;
}

int RowList::contentWidth() const { return (longest_ + 6) * fontMetrics().averageCharWidth() + kTextMargin; }

int RowList::rowAt(int y) const {
  const int row = topRow() + y / rowHeight();
  return row >= 0 && row < rowCount() ? row : -1;
}

QColor RowList::foreground(int colourClass) const {
  const LineColours& c = colours_[static_cast<std::size_t>(colourClass)];
  if (colourClass == kHighlight && !c.set) return palette().color(QPalette::Active, QPalette::HighlightedText);
  return colourOf(c.foreground);
}

QColor RowList::background(int colourClass) const {
  const LineColours& c = colours_[static_cast<std::size_t>(colourClass)];
  if (colourClass == kHighlight && !c.set) return palette().color(QPalette::Active, QPalette::Highlight);
  return colourOf(c.background);
}

void RowList::rowsChanged() {
  longest_ = longestRow();
  if (caret_ >= rowCount()) caret_ = -1;
  if (anchor_ >= rowCount()) anchor_ = -1;
  updateRanges();
  viewport()->update();
}

void RowList::updateRanges() {
  const int visible = visibleRows();
  verticalScrollBar()->setRange(0, std::max(0, rowCount() - visible));
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, std::max(0, contentWidth() - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
}

void RowList::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateRanges();
  emit resized();
}

void RowList::scrollContentsBy(int dx, int dy) {
  if (dy != 0) {
    const int top = topRow();
    reportScroll(top + dy, top);
    emit topRowChanged(top);
  }
  (void)dx;
  viewport()->update();
}

// The row that came into view, by the kind of scroll; its block goes to the
// window when it differs from the one reported before.
void RowList::reportScroll(int oldTop, int newTop) {
  const int rows = rowCount();
  if (rows == 0) return;
  const int visible = visibleRows();
  ScrollCode code = ScrollCode::Thumb;
  int position = newTop;
  if (thumb_ || verticalScrollBar()->isSliderDown())
    code = ScrollCode::Thumb;
  else if (newTop == oldTop + 1)
    code = ScrollCode::LineDown;
  else if (newTop == oldTop - 1)
    code = ScrollCode::LineUp;
  else if (newTop == oldTop + visible)
    code = ScrollCode::PageDown;
  else if (newTop == oldTop - visible)
    code = ScrollCode::PageUp;
  else if (newTop > oldTop)
    position = newTop + visible - 1;  // a wheel turn: the last row shown came in
  const int block = rowBlock(rowComingIntoView(code, oldTop, visible, rows, position));
  if (block != lastReported_) {
    lastReported_ = block;
    emit blockInView(block);
  }
}

void RowList::paintRow(QPainter& p, const QRect& band, int row, int margin, bool selection) const {
  const int cls = selection && rowSelected(row) ? kHighlight : rowClass(row);
  p.fillRect(band, background(cls));
  p.setPen(foreground(cls));
  p.drawText(band.adjusted(margin, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, rowText(row));
}

void RowList::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.setFont(font());
  const int h = rowHeight(), width = viewport()->width(), left = horizontalScrollBar()->value();
  const int rows = rowCount();
  int y = 0;
  for (int r = topRow(); r < rows && y < viewport()->height(); ++r, y += h) {
    const int cls = rowSelected(r) ? kHighlight : rowClass(r);
    p.fillRect(0, y, width, h, background(cls));
    paintRow(p, QRect(-left, y, std::max(width + left, contentWidth()), h), r, kTextMargin, true);
    if (r == caret_) {
      p.setPen(QPen(foreground(cls), 1, Qt::DotLine));
      p.drawRect(QRect(1, y, width - 3, h - 1));
    }
  }
  if (y < viewport()->height()) p.fillRect(0, y, width, viewport()->height() - y, background(kNormal));
}

void RowList::selectRange(int from, int to) {
  const int lo = std::min(from, to), hi = std::max(from, to);
  for (int r = 0, n = rowCount(); r < n; ++r) {
    const bool in = r >= lo && r <= hi;
    if (rowSelected(r) != in) setRowSelected(r, in);
  }
  viewport()->update();
}

void RowList::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const int row = rowAt(event->position().toPoint().y());
  if (row < 0) return;
  if (!(event->modifiers() & Qt::ShiftModifier) || anchor_ < 0) anchor_ = row;
  selectRange(anchor_, row);
  caret_ = row;
  dragging_ = true;
  emit rowClicked(row, event->modifiers());
}

void RowList::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0 && row != caret_) {
    caret_ = row;
    selectRange(anchor_, row);
  }
}

void RowList::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void RowList::focusOutEvent(QFocusEvent* event) {
  dragging_ = false;
  QAbstractScrollArea::focusOutEvent(event);
}

void RowList::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  switch (event->key()) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Home: bar->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_End: bar->triggerAction(QAbstractSlider::SliderToMaximum); break;
    default: QAbstractScrollArea::keyPressEvent(event);
  }
}

}  // namespace orv::merge::qt
