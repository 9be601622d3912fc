// What the tree forms of the archive and project windows share: a tree
// whose header is the strip of column titles, with column widths in units
// of the width of "A" in its font; rows whose cells show a strip of small
// glyphs before their text; the rows the user closed kept per window kind
// in the settings file; and rows fed to the view a few at a time from the
// event loop, so the first rows show at once and the window answers while
// the rest is read. No cell ever asks the library anything: every row is
// read once, before it is shown.
#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>
#include <initializer_list>
#include <string>
#include <vector>

#include "workbench/views/qt/slice_feeder.h"
#include "workbench/views/tree_expansion.h"

namespace orv::workbench::views {

// A cell's glyphs (a QVariantList of QIcon, an empty icon keeping its
// place), drawn in a row before the cell's text.
constexpr int kGlyphStripRole = Qt::UserRole + 10;
// The key under which a row's being closed is kept ("" for none).
constexpr int kTreeKeyRole = Qt::UserRole + 11;

class GlyphStripDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TreeFormView : public QTreeView {
  Q_OBJECT

 public:
  // settingsFile and section keep the closed rows; units are the
  // columns' widths in widths of "A", the last 0 (it takes the rest).
  TreeFormView(const std::string& settingsFile, const std::string& section, std::vector<int> units,
               QWidget* parent);

  // Reads every row that is still to come now.
  void finishFill();
  // All rows are in.
  bool filled() const { return !feeder_.feeding(); }
  // Every row, those still to come too.
  void selectAll() override;
  // How long a turn of the event loop may spend reading rows.
  static constexpr int kSliceMilliseconds = SliceFeeder::kSliceMilliseconds;

 signals:
  void selectionChangedByUser();
  // More rows came in (the counts of the status line grew).
  void rowsFed();

 protected:
  // Starts feeding: reads rows for one slice now and the rest later.
  void startFeeding();
  // Reads and shows up to max rows; false when no row is left.
  virtual bool feed(std::size_t max) = 0;
  // Every row is in.
  virtual void fedAll() {}
  // Opens the rows from first to last under parent that have rows below
  // them, unless the user closed them before.
  void openRows(const QModelIndex& parent, int first, int last);
  void setColumnUnits();
  // column is never set narrower than pixels by its units.
  void setMinimumColumnWidth(int column, int pixels);
  // Widens the column the rows nest in so that its deepest texts show
  // whole, up to 40 widths of "A" (it never becomes narrower than its
  // units).
  void widenTreeColumn();
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  void changeEvent(QEvent* event) override;

 private:
  TreeExpansion expansion_;
  std::vector<int> units_;
  std::vector<int> minimum_;
  SliceFeeder feeder_;
  bool applying_ = false;
};

}  // namespace orv::workbench::views
