// The tree form of an archive window's revisions (and the revision chooser
// of the check-out dialog): the working file and the trunk at the top,
// each branch nested under the revision it starts from, in the library's
// walk order; columns Revision, Author, Date, State, Locker and Labels
// under a strip of titles, with a padlock before a locked revision. The
// rows the user closes stay closed in every archive window's tree
// ([Archive Window] TreeCollapsed).
#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <vector>

#include "workbench/archive/open_archive.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/views/qt/tree_form_view.h"
#include "workbench/views/revision_tree.h"
#include "workbench/views/row_feed.h"

namespace orv::workbench::views {

// The tree's columns, by logical number.
enum RevisionTreeColumn : int { kTreeColRevision, kTreeColAuthor, kTreeColDate, kTreeColState, kTreeColLocker, kTreeColLabels };
constexpr int kRevisionTreeColumnCount = 6;

class RevisionTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit RevisionTreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}
  // Empties the model.
  void reset(commands::FileState workFile);
  // Adds rows in walk order: the rows that show now (each with the rows
  // below it), as indexes of the view.
  std::vector<QModelIndex> add(std::vector<RevisionRecord> rows);
  // The walk ended; the rows that show only now.
  std::vector<QModelIndex> finish();
  const RevisionTree& tree() const { return tree_; }
  QModelIndex indexOf(int node) const;
  // The node of index, -1 for none.
  static int nodeOf(const QModelIndex& index) { return index.isValid() ? static_cast<int>(index.internalId()) : -1; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<QModelIndex> expose(const std::vector<RevisionTree::Shown>& shown);

  RevisionTree tree_;
  // By node + 1 (0: the top): how many rows below it the view knows.
  std::vector<int> known_{0};
  commands::FileState workFile_ = commands::FileState::missing;
};

class RevisionTreeView : public TreeFormView {
  Q_OBJECT

 public:
  // showWorkFile: the working file's row leads when the file exists.
  RevisionTreeView(archive::OpenArchive& archive, const std::string& settingsFile, QWidget* parent = nullptr,
                   bool showWorkFile = true);

  // Reads the rows again: the first ones now, the rest from the event loop
  // unless whole is set. When the number of rows is what it was, the rows
  // selected before are selected again; else the first row is.
  void fill(bool whole);
  // The walk read every revision (a failure was shown).
  bool complete() const { return complete_; }
  // The selected rows' records, top to bottom.
  std::vector<const RevisionRecord*> selectedRecords() const;
  // The current row's record, nullptr for none.
  const RevisionRecord* currentRecord() const;
  // What the tree hands to its dialog: the current row's whole revision.
  std::string transfer() const { return revisionTransfer(currentRecord()); }
  // Selects and focuses the row of revision alone (nothing when it is not
  // listed).
  void selectRevision(const std::string& revision);
  const RevisionTree& tree() const { return model_->tree(); }
  RevisionTreeModel* treeModel() const { return model_; }
  commands::FileState workFileState() const { return workFile_; }

 protected:
  bool feed(std::size_t max) override;
  void fedAll() override;

 private:
  void opened(const std::vector<QModelIndex>& shown);
  void selectKeys(const std::vector<std::string>& keys);

  archive::OpenArchive& archive_;
  RevisionTreeModel* model_;
  std::unique_ptr<RevisionRowFeed> feed_;
  bool showWorkFile_;
  bool complete_ = true;
  commands::FileState workFile_ = commands::FileState::missing;
  // A refresh: the rows selected before and how many rows there were.
  std::vector<std::string> reselect_;
  std::size_t before_ = 0;
};

}  // namespace orv::workbench::views
