// The file-list dialog on real widgets: the folder and its sub-folders,
// the files of the folder that match the chosen type and the names typed
// into the name box, and the member list the chosen files go to (Add, a
// double click, or OK with files selected and none added). Add Members
// shows its Create Archives choices under the lists.
#pragma once

#include <QDialog>
#include <optional>

#include "workbench/dialogs/file_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace orv::workbench::dialogs {

class FileListWindow : public QDialog {
  Q_OBJECT

 public:
  FileListWindow(const FileListRequest& request, QWidget* parent);

  // What the dialog answers after OK.
  FileListAnswer answer() const;

  // Shows the files of directory.
  void showDirectory(const QString& directory);
  QString directory() const { return directory_; }

  QListWidget* folders() const { return folders_; }
  QListWidget* files() const { return files_; }
  QListWidget* members() const { return members_; }
  QLineEdit* nameBox() const { return name_; }
  QComboBox* types() const { return types_; }
  QCheckBox* selectAll() const { return selectAll_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }
  QPushButton* okButton() const { return ok_; }
  QCheckBox* createArchives() const { return createArchives_; }
  QRadioButton* automatic() const { return automatic_; }
  QRadioButton* interactive() const { return interactive_; }

 protected:
  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillFiles();
  void addSelected();
  void addFile(const QString& path);
  void removeSelected();
  void filesSelectionChanged();
  void updateArchiveChoices();

  QString directory_;
  MemberList list_;
  QLabel* folderLabel_ = nullptr;
  QListWidget* folders_ = nullptr;
  QListWidget* files_ = nullptr;
  QListWidget* members_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* types_ = nullptr;
  QCheckBox* selectAll_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* ok_ = nullptr;
  QCheckBox* createArchives_ = nullptr;
  QRadioButton* automatic_ = nullptr;
  QRadioButton* interactive_ = nullptr;
  bool archiveChoicesEnabled_ = true;
};

// Runs the dialog modally over the active window: nothing after Cancel.
std::optional<FileListAnswer> runQtFileListDialog(ui::Ui& ui, const FileListRequest& request);

}  // namespace orv::workbench::dialogs
