// The revision list of an archive window: a report list of six columns
// whose titles can be dragged to a new place, whose dividers keep every
// column at least 26 pixels wide, and whose title clicks sort the rows
// (a second click on the same title reverses the order). The column order,
// widths and sort key are those of [Archive Window] in the settings file.
// The first row stands for the working file when it exists.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "shell/command_enabling.h"
#include "shell/open_archive.h"
#include "views/list_columns.h"
#include "views/revision_list.h"

namespace orv::views::qt {

class RevisionListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit RevisionListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void setRows(std::vector<RevisionRecord> rows, shell::FileState workFile);
  const std::vector<RevisionRecord>& rows() const { return rows_; }
  void sortRows(unsigned sortKey);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<RevisionRecord> rows_;
  shell::FileState workFile_ = shell::FileState::missing;
};

class RevisionListView : public QTreeView {
  Q_OBJECT

 public:
  RevisionListView(shell::OpenArchive& archive, const std::string& settingsFile, QWidget* parent = nullptr);
  ~RevisionListView() override;

  // Reads every row again (the rows selected before stay selected where
  // they are still listed; else the top row is). False when the walk
  // failed: the failure was shown and the rows read so far are listed.
  bool fill();
  const std::vector<RevisionRecord>& rows() const { return model_->rows(); }
  // The selected row numbers, top to bottom.
  std::vector<int> selectedRowNumbers() const;
  // Selects and focuses the row of revision alone.
  void selectRevision(const std::string& revision);
  // The row of revision, -1 when none.
  int rowOf(const std::string& revision) const;
  ListColumns& columns() { return columns_; }
  shell::FileState workFileState() const { return workFile_; }

 signals:
  // The selection changed.
  void selectionChangedByUser();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

 private:
  void applyColumns();
  void titleMoved(int logical, int from, int to);
  void titleClicked(int logical);
  void showSortIndicator();
  void widenToContents();

  shell::OpenArchive& archive_;
  ListColumns columns_;
  RevisionListModel* model_;
  shell::FileState workFile_ = shell::FileState::missing;
  bool applying_ = false;
  bool widened_ = false;
  std::vector<int> pressedWidths_;  // by display position, at a press on the titles
};

// The state of the working file on disk.
shell::FileState workFileState(const std::string& path);

}  // namespace orv::views::qt
