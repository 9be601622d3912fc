// The member list of a project window: a report list of eight columns
// (type, frozen, changed, locker, revision, member name, state, labels)
// over the project's member rows, with the column order, widths and sort
// key of [Project Window] in the settings file. The Frozen and Changed
// columns show a glyph in their titles.
#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <string>
#include <vector>

#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/views/member_list.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/row_feed.h"

namespace orv::workbench::views {

class MemberListModel : public SortedRowsModel {
  Q_OBJECT

 public:
  explicit MemberListModel(QObject* parent = nullptr) : SortedRowsModel(parent) {}
  void setRows(std::vector<project::MemberRow> rows);
  std::vector<project::MemberRow>& rows() { return rows_; }
  const std::vector<project::MemberRow>& rows() const { return rows_; }
  void sortRows(unsigned sortKey);
  // Puts more rows in their places by sortKey.
  void addRows(std::vector<project::MemberRow> rows, unsigned sortKey);
  // The rows changed in place.
  void rowsChanged();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<project::MemberRow> rows_;
};

class MemberListView : public ReportListView {
  Q_OBJECT

 public:
  MemberListView(project::OpenProject& project, const std::string& settingsFile, QWidget* parent = nullptr);

  // Reads every row again, at once under a progress window, and selects
  // the top row. False when the scan was cancelled: the rows read so far
  // are listed.
  bool fill(ui::Ui& ui);
  // Reads every row again: the first ones now, the rest from the event
  // loop unless whole is set; the rows stay in order as they come, and the
  // top row is selected until the user picks another.
  void fill(bool whole);
  // fill, telling the user when the list is not complete. Nothing without
  // an open project.
  void refresh(ui::Ui& ui);
  // Reads the rows of the entries that are not -1 again.
  void refreshRows(ui::Ui& ui, const std::vector<int>& rows);
  std::vector<project::MemberRow>& rows() { return model_->rows(); }
  const std::vector<project::MemberRow>& rows() const { return model_->rows(); }
  // Selects row alone and gives it the focus.
  void selectRow(int row);

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

  project::OpenProject& project_;
  MemberListModel* model_;
  bool widened_ = false;
  std::unique_ptr<MemberRowFeed> feed_;
  std::vector<project::MemberRow> waiting_;
};

// The glyphs of the list: a member's type, frozen, changed.
QIcon memberTypeGlyph(char type);
QIcon frozenGlyph();
QIcon changedGlyph();

}  // namespace orv::workbench::views
