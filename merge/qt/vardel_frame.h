// The merge program's frame: the windows of its comparisons in an MDI area,
// the menus, the tool bar and the status bar; the command line (its own, or
// one a second copy handed over on the command socket), dropped files, the
// report of a comparison that gives no window, and the view settings it
// keeps in vardel.ini with its own placement.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

#include "platform/ipc/command_socket.h"
#include "platform/ipc/qt/command_service.h"
#include "merge/compare_files.h"
#include "merge/merge_settings.h"
#include "platform/ui/ui.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;

namespace orv::merge::qt {

class ComparisonWindow;

// A command line handed over takes at most this many bytes with its end.
constexpr std::size_t kHandoffLimit = 780;

enum class Handoff { Taken, TooLong, NotTaken };
// The second copy's side: hands the command line (names relative to cwd)
// to the copy listening on fd.
Handoff handOffCommandLine(int fd, const std::string& cwd, const std::string& commandLine);

// Frame commands.
enum FrameCommand : int {
  kCompare = 2100,
  kComments = 2101,
  kFont = 2102,
  kMerge = 2105,
  kSave = 2106,
  kLineNumbers = 2108,
  kViewFile1 = 2109,
  kViewFile2 = 2110,
  kViewBoth = 2111,
  kColours = 2112,
  kViewCombined = 2114,
  kDiffsOnly = 2115,
  kPrint = 2116,
  kPrinterSetup = 2117,
  kPrintSummary = 2118,
  kNextDifference = 2121,
  kPreviousDifference = 2122,
  kCopy = 24323,
  kExit = 24310,
  kAbout = 999,
};

class VardelFrame : public QMainWindow {
  Q_OBJECT

 public:
  VardelFrame(ui::Ui& ui, std::string iniPath, QWidget* parent = nullptr);
  ~VardelFrame() override;

  // Listens for the command lines of later copies.
  void listen(ipc::CommandServer server);
  // Runs a command line; relative names are taken against cwd.
  void runCommandLine(const std::string& text, const std::string& cwd);
  // Compares two files and opens their window; nullptr when the comparison
  // gives none (its result is reported, flagged files are deleted).
  ComparisonWindow* compare(const std::string& file1, const std::string& file2, const std::string& title1,
                            const std::string& title2, int deleteFlags, bool maximised, bool endWhenNothingShown);
  // The Compare command: the Compare Files dialog (names given go into its
  // histories first), then the comparison of the two names chosen.
  void compareCommand(const std::string& file1 = {}, const std::string& file2 = {});
  // The option commands: Select Colors, the font, Comments. Each applies
  // its choice to every comparison window; false when cancelled.
  bool chooseColours();
  bool chooseFont();
  bool editComments();
  // The program's printer (made on first use); Print asks for it.
  QPrinter& printer();
  // Opens dropped files: one asks for its partner, two are compared.
  void openDropped(const std::vector<std::string>& files);

  QAction* action(int command) const { return actions_.value(command); }
  QMdiArea* area() const { return area_; }
  ComparisonWindow* activeComparison() const;
  int comparisonCount() const;
  const MergeSettings& settings() const { return settings_; }
  const CompareFiles& compareHistories() const { return compareFiles_; }

 signals:
  // The program should end (a No to a result report, or -n with nothing shown).
  void quitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class Handler;
  void buildActions();
  void buildMenus();
  void buildToolBar();
  void command(int id);
  void updateActions();
  void storeViewSettings(const ComparisonWindow* w);
  void reportResult(int result);
  void about();
  void print(bool summary);
  void printerSetup();
  void applyToWindows();
  std::string chooseSave(const std::string& caption, int* format);

  ui::Ui& ui_;
  std::string iniPath_;
  MergeSettings settings_;
  CompareFiles compareFiles_;
  std::unique_ptr<QPrinter> printer_;
  QMdiArea* area_;
  QHash<int, QAction*> actions_;
  QList<QAction*> mergeActions_;
  std::optional<ipc::CommandServer> server_;
  std::unique_ptr<Handler> handler_;
  std::unique_ptr<ipc::qt::CommandService> service_;  // goes before the server and handler
};

}  // namespace orv::merge::qt
