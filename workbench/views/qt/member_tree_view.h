// The tree form of a project window's members: the members' folders below
// the project's working folder, each member under its folder, in the
// library's member order; columns Type (frozen, changed and type glyphs
// with the type's name), Revision (a padlock before a locked member's),
// Member Name, State and Labels under a strip of titles. The folders the
// user closes stay closed in every project window's tree ([Project Window]
// TreeCollapsed). Row numbers are those of the member rows, in member
// order, whatever folder shows them.
#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/views/member_tree.h"
#include "workbench/views/qt/tree_form_view.h"
#include "workbench/views/row_feed.h"

namespace orv::workbench::views {

enum MemberTreeColumn : int { kTreeColType, kTreeColMemberRevision, kTreeColName, kTreeColMemberState, kTreeColMemberLabels };
constexpr int kMemberTreeColumnCount = 5;

class MemberTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit MemberTreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent), tree_("") {}
  // Empties the model; root is the folder the names are shown below.
  void reset(std::string root);
  // Adds member rows in member order; the member rows' first new index.
  void add(std::vector<project::MemberRow> rows);
  // The rows changed in place.
  void rowsChanged();
  std::vector<project::MemberRow>& rows() { return rows_; }
  const std::vector<project::MemberRow>& rows() const { return rows_; }
  const MemberTree& tree() const { return tree_; }
  QModelIndex indexOf(int node) const;
  static int nodeOf(const QModelIndex& index) { return index.isValid() ? static_cast<int>(index.internalId()) : -1; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // New rows under parent, from first to last, that may need opening.
  void rowsShown(const QModelIndex& parent, int first, int last);

 private:
  MemberTree tree_;
  std::vector<project::MemberRow> rows_;
  std::vector<int> known_{0};
};

class MemberTreeView : public TreeFormView {
  Q_OBJECT

 public:
  MemberTreeView(project::OpenProject& project, const std::string& settingsFile, QWidget* parent = nullptr);

  // Reads every row again: the first ones now, the rest from the event
  // loop unless whole is set. When the number of members is what it was,
  // the members selected before are selected again; else the first member
  // is.
  void fill(bool whole);
  // fill, whole; nothing without an open project.
  void refresh();
  // Reads the member rows of the entries that are not -1 again.
  void refreshRows(ui::Ui& ui, const std::vector<int>& rows);
  std::vector<project::MemberRow>& rows() { return model_->rows(); }
  const std::vector<project::MemberRow>& rows() const { return model_->rows(); }
  // The selected member rows, in member order (folders are no members).
  std::vector<int> selectedRowNumbers() const;
  // Selects member row alone and gives it the focus.
  void selectRow(int row);
  MemberTreeModel* treeModel() const { return model_; }

 protected:
  bool feed(std::size_t max) override;
  void fedAll() override;

 public:
  // Selects these rows (by their number in rows()), the first current.
  void selectRows(const std::vector<int>& rows);

 private:

  project::OpenProject& project_;
  MemberTreeModel* model_;
  std::unique_ptr<MemberRowFeed> feed_;
  std::vector<int> reselect_;
  std::size_t before_ = 0;
};

}  // namespace orv::workbench::views
