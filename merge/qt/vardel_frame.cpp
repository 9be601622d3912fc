// The merge program's frame (see vardel_frame.h).
#include "merge/qt/vardel_frame.h"

#include <unistd.h>

#include <climits>

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include "merge/qt/colour_dialog.h"
#include "merge/command_line.h"
#include "merge/qt/comparison_window.h"
#include "merge/option_dialogs.h"
#include "differ/include/orv/txtcmp32.h"
#include "platform/profile/profile.h"
#include "workbench/app/command_line_handoff.h"
#include "workbench/app/frame_placement.h"
#include "workbench/app/tool_hints.h"
#include "platform/sys/system_calls.h"
#include "platform/ui/qt/qt_ui.h"
#include "merge/qt/vardel_ui.h"
#include "merge/window_logic.h"

namespace orv::merge::qt {

namespace {

// The status line takes a button's hint once while the pointer rests on the
// button; a hint equal to the one shown is dropped, and a cleared line
// shows the next hint whatever it is.
class StatusRepeats : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::StatusTip) return false;
    return !kept_.pass(static_cast<QStatusTipEvent*>(e)->tip().toStdString());
  }

 private:
  workbench::app::StatusRepeatFilter kept_;
};

const char* const kTitle = "Vardel";
constexpr int kHandoffTimeoutMs = 5000;
constexpr int kTechnicalSupportHelp = 53;

struct CommandText {
  int id;
  const char* text;
  const char* hint;  // status-bar text, then the tool tip after the line feed
};

const CommandText kCommands[] = {
    {kCompare, "&Compare...", "Compare two files\nCompare"},
    {kMerge, "&Merge", "Merge the two files into a new one\nMerge"},
    {kSave, "Save Diffs &As...", "Save the differences or the merged file\nSave"},
    {kPrint, "&Print Diff...", "Print the differences or the merged file\nPrint"},
    {kPrintSummary, "Print S&ummary...", "Print the summary of the differences\nPrint Summary"},
    {kPrinterSetup, "P&rinter Setup...", "Choose and set up the printer\nPrinter Setup"},
    {kExit, "E&xit", "Quit Vardel\nExit"},
    {kCopy, "&Copy", "Copy the selected lines to the clipboard\nCopy"},
    {kViewBoth, "&Both Files", "Show both files side by side\nBoth Files"},
    {kViewCombined, "&Combined Files", "Show both files in one list\nCombined Files"},
    {kViewFile1, "File &1", "Show file 1\nFile 1"},
    {kViewFile2, "File &2", "Show file 2\nFile 2"},
    {kLineNumbers, "Line &Numbers", "Show line numbers\nLine Numbers"},
    {kDiffsOnly, "Diffs &Only", "Show only the lines that differ\nDiffs Only"},
    {kNextDifference, "Ne&xt Difference", "Go to the next block of differences\nNext Difference"},
    {kPreviousDifference, "&Previous Difference", "Go to the previous block of differences\nPrevious Difference"},
    {kColours, "&Colors...", "Choose the colours of the lines\nColors"},
    {kFont, "&Font...", "Choose the font of the lists\nFont"},
    {kComments, "C&omments...", "Set the comment texts of saved differences\nComments"},
    {kAllFile1Blocks, "All &File 1 Blocks", "Take file 1's lines for every block\nAll File 1"},
    {kAllFile2Blocks, "All F&ile 2 Blocks", "Take file 2's lines for every block\nAll File 2"},
    {kSelectFile1Block, "Select File &1 Block", "Take file 1's lines for the current block\nFile 1 Block"},
    {kSelectFile2Block, "Select File &2 Block", "Take file 2's lines for the current block\nFile 2 Block"},
    {kSelectBothBlocks, "Select &Both Blocks", "Take both files' lines for the current block\nBoth Blocks"},
    {kRemoveSelectedBlocks, "&Remove Selected Blocks", "Remove the current block's lines\nRemove Blocks"},
    {668, "&Contents", "Show the help contents\nHelp"},
    {667, "&Search", "Search the help\nSearch"},
    {666, "&Using Help", "How to use help\nUsing Help"},
    {669, "&Technical Support", "Where to get technical support\nTechnical Support"},
    {kAbout, "&About Vardel...", "Show the version of Vardel\nAbout"},
};

std::string baseName(const std::string& name) {
  const std::size_t cut = name.find_last_of('/');
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

long availableKilobytes() {
  const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? static_cast<long>(static_cast<long long>(pages) * size / 1024) : 0;
}

}  // namespace

Handoff handOffCommandLine(int fd, const std::string& cwd, const std::string& commandLine) {
  if (commandLine.size() + 1 > kHandoffLimit) return Handoff::TooLong;
  return workbench::app::sendHandoff(fd, cwd, commandLine, "", kHandoffTimeoutMs) ? Handoff::Taken : Handoff::NotTaken;
}

// The first copy's side of the command socket: a command line that fits is
// run later from the main loop; a longer one is refused, since a cut one
// could name (and with -d delete) another file.
class VardelFrame::Handler : public ipc::RequestHandler {
 public:
  explicit Handler(VardelFrame& frame) : frame_(frame) {}
  std::uint32_t onHandoff(const std::string& cwd, const std::string& commandLine, const std::string&) override {
    if (commandLine.size() + 1 > kHandoffLimit) return 1;
    VardelFrame* frame = &frame_;
    frame_.ui_.post([frame, cwd, commandLine] {
      if (frame->isMinimized()) frame->showNormal();
      frame->raise();
      frame->activateWindow();
      frame->runCommandLine(commandLine, cwd);
    });
    return 0;
  }
  std::uint32_t onConnect(const std::string&, const std::string&) override { return 0; }
  std::uint32_t onExecute(const std::string&) override { return 0; }

 private:
  VardelFrame& frame_;
};

VardelFrame::VardelFrame(ui::Ui& ui, std::string iniPath, QWidget* parent)
    : QMainWindow(parent),
      ui_(ui),
      iniPath_(std::move(iniPath)),
      settings_(loadSettings(iniPath_)),
      area_(new QMdiArea(this)),
      handler_(std::make_unique<Handler>(*this)) {
  setObjectName("Orv Vardel");
  setWindowTitle(kTitle);
  setAcceptDrops(true);
  area_->setObjectName("mdiClient");
  setCentralWidget(area_);
  buildActions();
  buildMenus();
  buildToolBar();
  statusBar()->showMessage(" ");
  installEventFilter(new StatusRepeats(this));
  connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
    if (ComparisonWindow* w = activeComparison()) storeViewSettings(w);
    updateActions();
  });

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const workbench::app::Rect r = workbench::app::framePlacement(
      profile::getProfileString(iniPath_, "General", "FrameCoordinates", "-1,-1,-1,-1"), screen.width(),
      screen.height());
  setGeometry(screen.x() + r.x, screen.y() + r.y, r.width, r.height);
  updateActions();
}

// The comparison windows go before the actions and settings they report to.
VardelFrame::~VardelFrame() {
  QObject::disconnect(area_, nullptr, this, nullptr);
  for (QMdiSubWindow* sub : area_->subWindowList()) QObject::disconnect(sub->widget(), nullptr, this, nullptr);
  delete area_;
}

void VardelFrame::buildActions() {
  for (const CommandText& c : kCommands) {
    auto* a = new QAction(c.text, this);
    const QString hint = c.hint;
    a->setStatusTip(hint.section('\n', 0, 0));
    a->setToolTip(hint.section('\n', 1));
    a->setIconText(hint.section('\n', 1));  // the short caption of a tool-bar button
    a->setObjectName(QString("command%1").arg(c.id));
    actions_.insert(c.id, a);
    const int id = c.id;
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
  }
  for (int id : {kMerge, kLineNumbers, kDiffsOnly, kViewBoth, kViewCombined, kViewFile1, kViewFile2})
    actions_[id]->setCheckable(true);
  auto* views = new QActionGroup(this);
  for (int id : {kViewFile1, kViewFile2, kViewBoth, kViewCombined}) views->addAction(actions_[id]);
  actions_[kCopy]->setShortcut(QKeySequence::Copy);
  actions_[kSave]->setShortcut(QKeySequence::Save);
  actions_[kNextDifference]->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F8)});
  actions_[kPreviousDifference]->setShortcuts(
      {QKeySequence(Qt::ALT | Qt::Key_Up), QKeySequence(Qt::SHIFT | Qt::Key_F8)});
  actions_[kSelectFile1Block]->setShortcut(QKeySequence(Qt::ALT | Qt::Key_1));
  actions_[kSelectFile2Block]->setShortcut(QKeySequence(Qt::ALT | Qt::Key_2));
  actions_[kSelectBothBlocks]->setShortcut(QKeySequence(Qt::ALT | Qt::Key_3));
}

void VardelFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  for (int id : {kCompare, kMerge, kSave}) file->addAction(actions_[id]);
  file->addSeparator();
  for (int id : {kPrint, kPrintSummary, kPrinterSetup}) file->addAction(actions_[id]);
  file->addSeparator();
  file->addAction(actions_[kExit]);
  // The second menu takes the merge commands while a merge is on.
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addAction(actions_[kCopy]);
  mergeActions_.append(edit->addSeparator());
  for (int id : {kAllFile1Blocks, kAllFile2Blocks, kSelectFile1Block, kSelectFile2Block, kSelectBothBlocks,
                 kRemoveSelectedBlocks}) {
    edit->addAction(actions_[id]);
    mergeActions_.append(actions_[id]);
  }
  QMenu* view = menuBar()->addMenu("&View");
  for (int id : {kViewBoth, kViewCombined, kViewFile1, kViewFile2}) view->addAction(actions_[id]);
  view->addSeparator();
  for (int id : {kLineNumbers, kDiffsOnly}) view->addAction(actions_[id]);
  view->addSeparator();
  for (int id : {kNextDifference, kPreviousDifference}) view->addAction(actions_[id]);
  QMenu* options = menuBar()->addMenu("&Options");
  for (int id : {kColours, kFont, kComments}) options->addAction(actions_[id]);
  QMenu* window = menuBar()->addMenu("&Window");
  window->addAction("&Cascade", area_, &QMdiArea::cascadeSubWindows);
  window->addAction("&Tile", area_, &QMdiArea::tileSubWindows);
  window->addAction("Close &All", area_, &QMdiArea::closeAllSubWindows);
  QMenu* help = menuBar()->addMenu("&Help");
  for (int id : {668, 667, 666, 669}) help->addAction(actions_[id]);
  help->addSeparator();
  help->addAction(actions_[kAbout]);
}

void VardelFrame::buildToolBar() {
  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("toolBar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (int id : {kCompare, kSave, kMerge, kPrint}) bar->addAction(actions_[id]);
  bar->addSeparator();
  for (int id : {kViewFile1, kViewFile2, kViewBoth, kViewCombined}) bar->addAction(actions_[id]);
  bar->addSeparator();
  bar->addAction(actions_[668]);
}

ComparisonWindow* VardelFrame::activeComparison() const {
  QMdiSubWindow* sub = area_->currentSubWindow();
  return sub ? qobject_cast<ComparisonWindow*>(sub->widget()) : nullptr;
}

int VardelFrame::comparisonCount() const { return static_cast<int>(area_->subWindowList().size()); }

void VardelFrame::storeViewSettings(const ComparisonWindow* w) {
  settings_.viewMode = w->viewMode();
  settings_.lineNumbers = w->lineNumbers();
  settings_.commonLines = w->commonLines();
}

void VardelFrame::updateActions() {
  ComparisonWindow* w = activeComparison();
  const bool any = w != nullptr, merging = any && w->merging();
  for (int id : {kMerge, kSave, kLineNumbers, kDiffsOnly, kViewBoth, kViewCombined, kViewFile1, kViewFile2, kPrint,
                 kPrintSummary})
    actions_[id]->setEnabled(any);
  actions_[kCopy]->setEnabled(any && !merging);
  const int blocks = any ? w->diff().blockCount() : 0;
  const int current = any ? w->currentBlock() : -1;
  actions_[kNextDifference]->setEnabled(current < blocks - 1);
  actions_[kPreviousDifference]->setEnabled(current > 0);
  const int mode = any ? w->viewMode() : settings_.viewMode;
  actions_[mode == 0 ? kViewFile1 : mode == 1 ? kViewFile2 : mode == 2 ? kViewCombined : kViewBoth]->setChecked(true);
  actions_[kLineNumbers]->setChecked(any ? w->lineNumbers() : settings_.lineNumbers);
  actions_[kDiffsOnly]->setChecked(!(any ? w->commonLines() : settings_.commonLines));
  actions_[kMerge]->setChecked(merging);
  actions_[kSave]->setText(merging ? "Save Merge &As..." : "Save Diffs &As...");
  actions_[kPrint]->setText(merging ? "&Print Merge..." : "&Print Diff...");
  for (QAction* a : mergeActions_) a->setVisible(merging);
  for (int id : {kSelectFile1Block, kSelectFile2Block, kSelectBothBlocks, kRemoveSelectedBlocks})
    actions_[id]->setEnabled(merging && w->currentBlock() >= 0);
  statusBar()->showMessage(any ? w->statusText() : QString(" "));
  setWindowTitle(any ? QString("%1 - [%2]").arg(kTitle, w->windowTitle()) : QString(kTitle));
}

void VardelFrame::command(int id) {
  ComparisonWindow* w = activeComparison();
  switch (id) {
    case kCompare: compareCommand(); return;
    case kExit: close(); return;
    case kAbout: about(); return;
    case kColours: chooseColours(); return;
    case kFont: chooseFont(); return;
    case kComments: editComments(); return;
    case kPrinterSetup: printerSetup(); return;
    case 668:
    case 667:
    case 666: ui_.showHelp(0); return;
    case 669: ui_.showHelp(kTechnicalSupportHelp); return;
    default: break;
  }
  if (!w) return;
  switch (id) {
    case kMerge: w->setMerging(!w->merging()); break;
    case kSave: w->saveAs(); break;
    case kCopy: w->copy(); break;
    case kPrint: print(false); break;
    case kPrintSummary: print(true); break;
    case kViewFile1: w->setViewMode(0); break;
    case kViewFile2: w->setViewMode(1); break;
    case kViewCombined: w->setViewMode(2); break;
    case kViewBoth: w->setViewMode(3); break;
    case kLineNumbers: w->setLineNumbers(!w->lineNumbers()); break;
    case kDiffsOnly: w->setCommonLines(!w->commonLines()); break;
    case kNextDifference: w->nextBlock(); break;
    case kPreviousDifference: w->previousBlock(); break;
    default:
      if (id == kAllFile1Blocks || id == kAllFile2Blocks || (id >= kSelectFile1Block && id <= kRemoveSelectedBlocks))
        w->mergeCommand(id);
      break;
  }
  updateActions();
}

void VardelFrame::about() {
  ui_.messageBox(ui::okBox("About Vardel",
                           "Orv Vardel for Win32\nVersion 3.2a\n" + std::to_string(availableKilobytes()) + " KB",
                           ui::MessageIcon::information));
}

void VardelFrame::runCommandLine(const std::string& text, const std::string& cwd) {
  const CommandLine line = parseCommandLine(text);
  if (line.wrong) {
    ui_.messageBox(ui::okBox(kTitle, "Error in command line.", ui::MessageIcon::error));
    return;
  }
  auto full = [&cwd](const std::string& name) { return name.empty() ? name : workbench::app::resolveAgainst(cwd, name); };
  const std::string file1 = full(line.file1), file2 = full(line.file2);
  if (line.compareDialog) {
    compareCommand(file1, file2);
    return;
  }
  if (!file1.empty() && !file2.empty()) {
    compare(file1, file2, line.title1, line.title2, line.deleteFlags, true, line.endWhenNothingShown);
    return;
  }
  if (!file1.empty()) compareCommand(file1);
}

ComparisonWindow* VardelFrame::compare(const std::string& file1, const std::string& file2, const std::string& title1,
                                       const std::string& title2, int deleteFlags, bool maximised,
                                       bool endWhenNothingShown) {
  ui_.pushBusyCursor();
  auto diff = std::make_unique<FileDiff>(file1, file2, settings_.options);
  ui_.popCursor();
  if (diff->result() != kReady) {
    // No window owns the temporary copies: they go now.
    if (deleteFlags & 1) sys::calls().unlink(file1.c_str());
    if (deleteFlags & 2) sys::calls().unlink(file2.c_str());
    reportResult(diff->result());
    if (endWhenNothingShown && comparisonCount() == 0) emit quitRequested();
    return nullptr;
  }
  auto* w = new ComparisonWindow(ui_, std::move(diff), title1.empty() ? file1 : title1, title2.empty() ? file2 : title2,
                                 settings_);
  w->setDeleteFlags(deleteFlags);
  w->setSaveChooser([this](const std::string& caption, int* format) { return chooseSave(caption, format); });
  w->setWindowTitle(QString::fromStdString(comparisonCaption(title1, file1, title2, file2)));
  QMdiSubWindow* sub = area_->addSubWindow(w);
  sub->setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
  sub->setAttribute(Qt::WA_DeleteOnClose);
  connect(w, &ComparisonWindow::viewSettingsChanged, this, [this, w] {
    if (w == activeComparison()) {
      storeViewSettings(w);
      updateActions();
    }
  });
  if (maximised) {
    sub->showMaximized();
  } else {
    sub->resize(area_->size() * 9 / 10);
    sub->show();
  }
  area_->setActiveSubWindow(sub);
  updateActions();
  return w;
}

void VardelFrame::compareCommand(const std::string& file1, const std::string& file2) {
  // Names keep their case whatever PreserveFileCase says: on a case-
  // sensitive file system a lower-cased name names another file.
  constexpr bool kKeepCase = true;
  if (!file1.empty()) compareFiles_.put(0, file1, kKeepCase);
  if (!file2.empty()) compareFiles_.put(1, file2, kKeepCase);
  char buf[PATH_MAX];
  const std::string cwd = sys::calls().getcwd(buf, sizeof buf) ? buf : "";
  CompareFilesLogic logic(ui_, compareFiles_, settings_.options, kKeepCase, cwd);
  if (ui_.runDialog(compareFilesDescription(), logic) != ui::kAnswerOk) return;
  const std::string names[2] = {compareFiles_.selected(0), compareFiles_.selected(1)};
  ComparisonWindow* active = activeComparison();
  const bool maximised = active && active->parentWidget() && active->parentWidget()->isMaximized();
  compare(names[0], names[1], baseName(names[0]), baseName(names[1]), 0, maximised, false);
}

void VardelFrame::applyToWindows() {
  const QFont font = listFont(settings_.font);
  for (QMdiSubWindow* sub : area_->subWindowList()) {
    if (auto* w = qobject_cast<ComparisonWindow*>(sub->widget())) {
      w->setColours(settings_.colours);
      w->setListFont(font);
      w->setComments(settings_.commentBegin, settings_.commentEnd);
    }
  }
}

bool VardelFrame::chooseColours() {
  ColourDialog dialog(settings_.colours, this);
  ui::qt::centreOver(dialog, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings_.colours = dialog.choice().accepted();
  applyToWindows();
  return true;
}

bool VardelFrame::chooseFont() {
  QFontDialog dialog(listFont(settings_.font), this);
  dialog.setWindowTitle("Font");
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  dialog.setOption(QFontDialog::ScalableFonts, false);
  ui::qt::centreOver(dialog, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings_.font = fontSpecOf(dialog.selectedFont());
  applyToWindows();
  return true;
}

bool VardelFrame::editComments() {
  CommentsLogic logic(settings_);
  if (ui_.runDialog(commentsDescription(), logic) != ui::kAnswerOk) return false;
  if (saveComments(iniPath_, settings_) != 0)
    ui_.messageBox(ui::okBox(kTitle, "Cannot write to " + iniPath_ + ".", ui::MessageIcon::warning));
  applyToWindows();
  return true;
}

// The format offered first is the window's (the line ends of its files).
std::string VardelFrame::chooseSave(const std::string& caption, int* format) {
  const std::string path = chooseSaveFile(this, caption, format);
  if (path.empty()) return path;
  if (saveFormatIfChanged(iniPath_, settings_.saveFormat, *format) != 0)
    ui_.messageBox(ui::okBox(kTitle, "Cannot write to " + iniPath_ + ".", ui::MessageIcon::warning));
  settings_.saveFormat = *format;
  return path;
}

QPrinter& VardelFrame::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void VardelFrame::print(bool summary) {
  ComparisonWindow* w = activeComparison();
  if (!w) return;
  QPrintDialog dialog(&printer(), this);
  dialog.setWindowTitle(summary ? "Print Summary" : "Print");
  ui::qt::centreOver(dialog, this);
  if (dialog.exec() != QDialog::Accepted) return;
  ui_.pushBusyCursor();
  w->print(printer(), summary);
  ui_.popCursor();
}

// What the platform's print dialog offers; its choices stay with the
// program's printer for the next print.
void VardelFrame::printerSetup() {
  QPrintDialog dialog(&printer(), this);
  dialog.setWindowTitle("Printer Setup");
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  ui::qt::centreOver(dialog, this);
  dialog.exec();
}

void VardelFrame::openDropped(const std::vector<std::string>& files) {
  if (files.empty()) return;
  if (files.size() == 1) return compareCommand(files[0]);
  ComparisonWindow* active = activeComparison();
  const bool maximised = active && active->parentWidget() && active->parentWidget()->isMaximized();
  compare(files[0], files[1], baseName(files[0]), baseName(files[1]), 0, maximised, false);
}

void VardelFrame::reportResult(int result) {
  std::string differError;
  if (result == kDifferTrouble) {
    char text[120] = {};
    DiffError(text, sizeof text);
    differError = text;
  }
  const ResultReport report = resultReport(result, differError);
  if (!report.askYesNo) {
    ui_.messageBox(ui::okBox(kTitle, report.text, ui::MessageIcon::warning));
    return;
  }
  if (ui_.messageBox(ui::yesNoBox(kTitle, report.text, ui::MessageIcon::error)) == ui::kAnswerNo) emit quitRequested();
}

void VardelFrame::listen(ipc::CommandServer server) {
  service_.reset();
  server_.emplace(std::move(server));
  service_ = std::make_unique<ipc::qt::CommandService>(*server_, *handler_, kHandoffTimeoutMs);
}

void VardelFrame::closeEvent(QCloseEvent* event) {
  area_->closeAllSubWindows();
  if (!area_->subWindowList().isEmpty()) {
    event->ignore();
    return;
  }
  saveViewAndOptions(iniPath_, settings_);
  saveColours(iniPath_, settings_);
  saveFont(iniPath_, settings_);
  const QRect normal = normalGeometry();
  if (auto stored = workbench::app::storedPlacement({normal.x(), normal.y(), normal.width(), normal.height()},
                                           !isMaximized() && !isMinimized()))
    profile::writeProfileString(iniPath_, "General", "FrameCoordinates", stored->c_str());
  event->accept();
}

void VardelFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void VardelFrame::dropEvent(QDropEvent* event) {
  std::vector<std::string> files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  openDropped(files);
}

}  // namespace orv::merge::qt
