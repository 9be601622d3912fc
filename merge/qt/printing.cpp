// The comparison window's printouts (see printing.h).
#include "merge/qt/printing.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "merge/print_plan.h"
#include "merge/qt/row_list.h"

namespace orv::merge::qt {

namespace {

// Gaps of the layout are given in screen pixels; on paper they keep their
// size relative to the text.
int units(const QPrinter& printer, int pixels) { return std::max(1, pixels * printer.resolution() / 96); }

void header(QPainter& p, const QRect& page, int h, int number, const QString& title) {
  p.setPen(Qt::black);
  p.drawText(QRect(page.left(), page.top(), page.width(), h), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
             QString::fromStdString(pageHeader(number)));
  p.drawText(QRect(page.left(), page.top() + h, page.width(), h), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
             QString::fromStdString(pageTitle(title.toStdString())));
}

void legendBand(QPainter& p, QPrinter& printer, const QRect& page, int h, Printout kind, const RowList& colours) {
  const QRect band(page.left(), page.bottom() - 3 * h + 2, page.width(), 3 * h - 2);
  p.setPen(Qt::black);
  p.drawRect(band.adjusted(0, 0, -1, -1));
  const int gap = units(printer, 4), width = legendBoxWidth(kind, page.width() - units(printer, 24) + 24);
  int x = band.left() + units(printer, 3);
  for (const LegendBox& box : legend(kind)) {
    const int cls = box.colourClass < 0 ? 7 : box.colourClass;
    const QRect r(x, band.top() + h, width, h);
    p.fillRect(r, colours.background(cls));
    p.setPen(colours.foreground(cls));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(box.label));
    x += width + gap;
  }
}

}  // namespace

int printRows(QPrinter& printer, const std::vector<const RowList*>& lists, bool merge, const QString& title,
              const QFont& font) {
  if (lists.empty()) return 0;
  QPainter p;
  if (!p.begin(&printer)) return 0;
  p.setFont(QFont(font, &printer));
  const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const int h = QFontMetrics(p.font(), &printer).height();
  int longer = 0, shorter = lists.front()->rowCount();
  for (const RowList* l : lists) {
    longer = std::max(longer, l->rowCount());
    shorter = std::min(shorter, l->rowCount());
  }
  const Printout kind = merge ? Printout::Merge : Printout::List;
  const PagePlan plan = planPages(kind, page.height(), h, longer);
  const int two = units(printer, 2), margin = units(printer, 4);
  const int columnWidth = lists.size() == 2 ? page.width() / 2 : page.width();
  for (int n = 1; n <= plan.pages; ++n) {
    if (n > 1) printer.newPage();
    p.setClipRect(page);
    header(p, page, h, n, title);
    const RowRange rows = pageRows(plan, n, shorter);
    for (std::size_t i = 0; i < lists.size() && i < 2; ++i) {
      const int left = i == 0 ? page.left() : page.left() + columnWidth + two;
      const int width = lists.size() == 2 ? columnWidth - two : columnWidth;
      p.setClipRect(QRect(left, page.top(), width, page.height()));
      for (int r = rows.first, y = page.top() + 3 * h; r < rows.last; ++r, y += h)
        lists[i]->paintRow(p, QRect(left, y, width, h), r, margin, false);
    }
    p.setClipRect(page);
    legendBand(p, printer, page, h, kind, *lists.front());
  }
  p.end();
  return plan.pages;
}

int printSummary(QPrinter& printer, const QStringList& lines, const QString& title, const QFont& font) {
  QPainter p;
  if (!p.begin(&printer)) return 0;
  p.setFont(QFont(font, &printer));
  const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const int h = QFontMetrics(p.font(), &printer).height();
  const PagePlan plan = planPages(Printout::Summary, page.height(), h, static_cast<int>(lines.size()));
  for (int n = 1; n <= plan.pages; ++n) {
    if (n > 1) printer.newPage();
    header(p, page, h, n, title);
    p.setPen(Qt::black);
    const RowRange rows = pageRows(plan, n, static_cast<int>(lines.size()));
    for (int r = rows.first, y = 3 * h; r < rows.last; ++r, y += h)
      p.drawText(QRect(0, y, page.width(), h), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                 expandTabs(lines[r]));
  }
  p.end();
  return plan.pages;
}

}  // namespace orv::merge::qt
