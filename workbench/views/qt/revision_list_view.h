// The revision list of an archive window: a report list of six columns
// whose titles can be dragged to a new place, whose dividers keep every
// column at least 26 pixels wide, and whose title clicks sort the rows
// (a second click on the same title reverses the order). The column order,
// widths and sort key are those of [Archive Window] in the settings file.
// The first row stands for the working file when it exists.
#pragma once

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbench/archive/open_archive.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/views/list_columns.h"
#include "workbench/views/qt/slice_feeder.h"
#include "workbench/views/qt/sorted_rows_model.h"
#include "workbench/views/row_feed.h"
#include "workbench/views/revision_list.h"

namespace orv::workbench::views {

class RevisionListModel : public SortedRowsModel {
  Q_OBJECT

 public:
  explicit RevisionListModel(QObject* parent = nullptr) : SortedRowsModel(parent) {}
  void setRows(std::vector<RevisionRecord> rows, commands::FileState workFile);
  const std::vector<RevisionRecord>& rows() const { return rows_; }
  void sortRows(unsigned sortKey);
  // Puts more rows in their places by sortKey.
  void addRows(std::vector<RevisionRecord> rows, unsigned sortKey);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<RevisionRecord> rows_;
  commands::FileState workFile_ = commands::FileState::missing;
};

// A report list whose column order, widths and sort key are those of a
// section of the settings file: titles can be dragged to a new place,
// dividers keep every column at least 26 pixels wide and store the widths
// when the drag ends, and a title click sorts.
class ReportListView : public QTreeView {
  Q_OBJECT

 public:
  ReportListView(const std::string& settingsFile, const std::string& section, int count,
                 const ColumnDefaults& defaults, QWidget* parent);
  ~ReportListView() override;
  ListColumns& columns() { return columns_; }
  // The selected row numbers, top to bottom.
  std::vector<int> selectedRowNumbers() const;
  // Reads every row that is still to come now.
  void finishFill();
  // All rows are in.
  bool filled() const { return !feeder_.feeding(); }
  // Every row, those still to come too.
  void selectAll() override;

 signals:
  // The selection changed.
  void selectionChangedByUser();
  // More rows came in (the counts of the status line grew).
  void rowsFed();

 protected:
  // Starts feeding: reads rows for one slice now and the rest from the
  // event loop.
  void startFeeding();
  // Stops feeding; the rows still to come are not read.
  void stopFeeding();
  // Reads up to max rows more; false when no row is left.
  virtual bool feed(std::size_t) { return false; }
  // A slice of rows was read and more are to come.
  virtual void sliceFed() {}
  // Every row is in.
  virtual void fedAll() {}
  // Makes the top row the selected and current one as the list's own
  // choice, scrolled to when scroll is set.
  void chooseTopRow(bool scroll);
  // After rows came in: the list's own choice moves to the new top row
  // unless the user picked rows of his own since.
  void keepTopRowChosen();
  // Shows model's rows in the stored column order and widths.
  void attachModel(QAbstractItemModel* model);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  virtual void titleClicked(int logical) = 0;
  virtual void showSortIndicator() = 0;

  ListColumns columns_;

 private:
  void applyColumns();
  void titleMoved(int logical, int from, int to);

  bool applying_ = false;
  std::vector<int> pressedWidths_;  // by display position, at a press on the titles
  SliceFeeder feeder_;
  // The row the list chose itself while its rows come.
  QPersistentModelIndex chosen_;
};

// The widths of cell texts in a font, each distinct text measured once; in
// a font whose digits are all equally wide, texts that differ only in their
// digits (revision numbers, dates) are measured once too.
class TextWidths {
 public:
  explicit TextWidths(const QFontMetrics& metrics);
  int width(std::string_view text);

 private:
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  const QFontMetrics& metrics_;
  bool evenDigits_ = false;
  // Widths by text, with every digit as 0 when digits are of one width:
  // a long list has few texts that differ in more than their digits.
  std::unordered_map<std::string, int, KeyHash, std::equal_to<>> known_;
  std::string key_;
  // The last text's key and width: neighbouring rows mostly give the same.
  std::string lastKey_;
  int lastWidth_ = -1;
};

// Item roles of the lists' cells: a path shortened in its middle to fit,
// and a glyph alone centred in its cell.
constexpr int kPathCellRole = Qt::UserRole;
constexpr int kCentredGlyphRole = Qt::UserRole + 1;

class PathCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// A 16-pixel glyph that draw paints.
template <class Draw>
QIcon paintedGlyph(Draw draw) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return QIcon(pm);
}

// A 16-pixel padlock, drawn beside a locker's name.
QIcon lockGlyph();
// The working file's page, with a pencil across it when it may be written.
QIcon workFileGlyph(bool writable);

class RevisionListView : public ReportListView {
  Q_OBJECT

 public:
  RevisionListView(archive::OpenArchive& archive, const std::string& settingsFile, QWidget* parent = nullptr);

  // Reads every row again (the rows selected before stay selected where
  // they are still listed; else the top row is). False when the walk
  // failed: the failure was shown and the rows read so far are listed.
  bool fill();
  // The same, reading the first rows now and the rest from the event loop
  // unless whole is set; the rows stay in order as they come.
  void fill(bool whole);
  // False when the last walk failed (the failure was shown).
  bool complete() const { return complete_; }
  const std::vector<RevisionRecord>& rows() const { return model_->rows(); }
  // Selects and focuses the row of revision alone.
  void selectRevision(const std::string& revision);
  // The row of revision, -1 when none.
  int rowOf(const std::string& revision) const;
  commands::FileState workFileState() const { return workFile_; }

 protected:
  void titleClicked(int logical) override;
  void showSortIndicator() override;
  bool feed(std::size_t max) override;
  void sliceFed() override;
  void fedAll() override;

 private:
  // Until the user sets widths of his own, a text column takes what its
  // title and texts need when that is more; once every row is in (last),
  // that is done.
  void widenToContents(bool last = true);
  // Shows the rows that came when it is time to (or last is set).
  void showWaiting(bool last);

  archive::OpenArchive& archive_;
  RevisionListModel* model_;
  commands::FileState workFile_ = commands::FileState::missing;
  bool widened_ = false;
  bool complete_ = true;
  std::unique_ptr<RevisionRowFeed> feed_;
  std::vector<RevisionRecord> waiting_;
  // The rows selected before a fill ("" the working file's).
  std::vector<std::string> reselect_;
};

// The state of the working file on disk.
commands::FileState workFileState(const std::string& path);

}  // namespace orv::workbench::views
