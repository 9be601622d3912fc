// One side of a comparison on screen (see diff_list.h).
#include "merge/qt/diff_list.h"

#include <QApplication>
#include <QClipboard>
#include <algorithm>

namespace orv::merge::qt {

DiffList::DiffList(const FileDiff& diff, int side, bool commonLines, QWidget* parent)
    : RowList(parent), diff_(diff), view_(std::make_unique<DiffView>(diff, side, commonLines)) {
  setObjectName(side == kSide1 ? "list105" : side == kSide2 ? "list106" : "list111");
  rowsChanged();
}

void DiffList::rebuild(bool commonLines) {
  view_ = std::make_unique<DiffView>(diff_, view_->side(), commonLines);
  rowsChanged();
}

void DiffList::showBlock(int block) {
  if (block < 0 || block >= static_cast<int>(view_->blockRows().size())) return;
  showRow(view_->blockRows()[static_cast<std::size_t>(block)]);
}

void DiffList::copy() const {
  const std::string text = view_->selectedText();
  if (!text.empty()) QApplication::clipboard()->setText(QString::fromStdString(text));
}

int DiffList::blockOfRow(int row) const {
  const ViewRow& r = view_->rows()[static_cast<std::size_t>(row)];
  return r.line ? r.line->blockIndex : r.block;
}

bool DiffList::emptyRow(int row) const { return view_->rows()[static_cast<std::size_t>(row)].line == nullptr; }

int DiffList::rowCount() const { return static_cast<int>(view_->rows().size()); }

QString DiffList::rowText(int row) const {
  const ViewRow& r = view_->rows()[static_cast<std::size_t>(row)];
  if (!r.line) return {};
  const QString text = expandTabs(QString::fromStdString(r.line->text));
  if (!lineNumbers()) return text;
  return QString::asprintf("%.5d:", r.number) + text;
}

int DiffList::rowClass(int row) const { return view_->rows()[static_cast<std::size_t>(row)].viewClass; }

bool DiffList::rowSelected(int row) const { return view_->rows()[static_cast<std::size_t>(row)].selected; }

void DiffList::setRowSelected(int row, bool selected) {
  view_->rows()[static_cast<std::size_t>(row)].selected = selected;
}

int DiffList::longestRow() const {
  int longest = 0;
  for (const ViewRow& r : view_->rows())
    if (r.line) {
      const auto tabs = std::count(r.line->text.begin(), r.line->text.end(), '\t');
      longest = std::max<int>(longest, static_cast<int>(r.line->text.size() + 7 * static_cast<std::size_t>(tabs)));
    }
  return longest + (lineNumbers() ? 6 : 0);
}

}  // namespace orv::merge::qt
