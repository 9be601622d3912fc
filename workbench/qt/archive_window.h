// The archive window: an MDI child that shows one archive's revisions in
// a list, the log message of the selected revision in a panel at the
// bottom, and a split bar between them. It owns the open archive, publishes
// it to the library as the current archive whenever it becomes active,
// moves the process into its working file's folder then, keeps the counts
// of the status line, and answers the commands' questions about its
// selection.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "workbench/archive/open_archive.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/commands/document_windows.h"

class QMdiSubWindow;

namespace orv::workbench::views {
class LogPanel;
class RevisionListView;
class RevisionTreeView;
struct RevisionRecord;
class SplitBar;
}  // namespace orv::workbench::views

namespace orv::workbench {

// Control ids of the window's parts.
enum ArchiveControl : int { kArchiveTreeId = 1, kArchiveSplitBarId = 2, kArchiveLogPanelId = 4, kArchiveListId = 5 };

class ArchiveChild : public QWidget, public commands::ArchiveWindow {
  Q_OBJECT

 public:
  // What the window tells its frame.
  struct Frame {
    ui::Ui& ui;
    std::string settingsFile;  // ORVTY.INI
    std::function<void(const std::string&)> statusText;
    // Runs a command of the frame (a double click edits or views).
    std::function<void(int id)> command;
  };

  // Opens name read-only (as the current member of project when project is
  // not 0; projectFile then names the project in the caption) and reads
  // its rows. Nothing when the archive did not open or its rows could not
  // be read: the failure was shown.
  static std::unique_ptr<ArchiveChild> open(const Frame& frame, const std::string& name, int project = 0,
                                            const std::optional<std::string>& projectFile = std::nullopt);
  ~ArchiveChild() override;

  // commands::ArchiveWindow
  std::string name() const override { return name_; }
  void raise() override;
  void close() override;
  archive::OpenArchive& archive() override { return *archive_; }
  std::vector<commands::RevisionRow> selectedRows() override;
  bool listForm() const override { return listForm_; }
  bool refreshRevisions() override;
  void reselectRevision(const std::string& revision) override;

  // The window became active: the library's current archive and project,
  // the status line, the working file's folder as the current directory,
  // and the focus on the list.
  void activated();
  // The window is no longer the active one: the status line is cleared.
  void deactivated();
  // Reads the archive and its rows again when the file changed on disk
  // since the window read it (the library's change test), whoever changed
  // it. True when it did.
  bool refreshIfChanged();
  // The library's current archive (and project) become this window's.
  void publish();
  // What the command rules need to know of the window.
  commands::ArchiveWindowFacts facts() const;
  QString caption() const;

  // The list (list form) or the tree (tree form, as [Archive Window]
  // ListView chooses); the other is nullptr.
  views::RevisionListView* list() const { return list_; }
  views::RevisionTreeView* tree() const { return tree_; }
  QWidget* view() const;
  views::LogPanel* logPanel() const { return log_; }
  views::SplitBar* splitBar() const { return bar_; }
  QMdiSubWindow* subWindow() const;

  // Sizes the MDI child as [Archive Window] WindowSize says, inside a
  // client area of clientWidth x clientHeight, and sets its smallest size.
  void restoreSize(int clientWidth, int clientHeight);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ArchiveChild(const Frame& frame, std::string name, std::unique_ptr<archive::OpenArchive> archive,
               std::optional<std::string> projectFile);
  void layoutParts(bool first);
  void selectionChanged();
  std::string statusLine() const;
  // The selected rows' records, top to bottom, in either form.
  std::vector<const views::RevisionRecord*> selectedRecords() const;
  int lineHeight() const;
  // The log panel's height as the window first opens.
  int firstLogPanelHeight() const;

  Frame frame_;
  std::string name_;
  std::unique_ptr<archive::OpenArchive> archive_;
  std::optional<std::string> projectFile_;
  bool listForm_ = true;
  views::RevisionListView* list_ = nullptr;
  views::RevisionTreeView* tree_ = nullptr;
  views::LogPanel* log_ = nullptr;
  views::SplitBar* bar_ = nullptr;
  bool laidOut_ = false;
  bool active_ = false;
};

}  // namespace orv::workbench
