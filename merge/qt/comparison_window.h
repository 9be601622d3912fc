// The window of one comparison: the block summaries with Previous and Next,
// the two names in the colours of their files, the difference lists of
// file 1, file 2 and both combined (one or two on show by the view mode),
// one vertical and one horizontal bar that move them together, and while
// merging the merge list below a splitter. On close it deletes the input
// files it was told to (temporary copies of revisions).
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "merge/file_diff.h"
#include "merge/merge_model.h"
#include "merge/merge_settings.h"
#include "platform/ui/ui.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPrinter;
class QScrollBar;
class QSplitter;
class QToolButton;

namespace orv::merge::qt {

class DiffList;
class MergeList;
class RowList;

// Commands of the window.
enum Command : int {
  kSelectFile1Block = 2072,
  kSelectFile2Block = 2073,
  kSelectBothBlocks = 2074,
  kRemoveSelectedBlocks = 2075,
  kAllFile1Blocks = 2119,
  kAllFile2Blocks = 2120,
};

class ComparisonWindow : public QWidget {
  Q_OBJECT

 public:
  // name1, name2: the names shown (titles, else the file names).
  ComparisonWindow(ui::Ui& ui, std::unique_ptr<FileDiff> diff, std::string name1, std::string name2,
                   const MergeSettings& settings, QWidget* parent = nullptr);
  ~ComparisonWindow() override;

  // Bit 1: delete file 1 on close; bit 2: file 2.
  void setDeleteFlags(int flags) { deleteFlags_ = flags & 3; }
  const FileDiff& diff() const { return *diff_; }

  int viewMode() const { return viewMode_; }
  bool lineNumbers() const { return lineNumbers_; }
  bool commonLines() const { return commonLines_; }
  bool merging() const { return mergeModel_ != nullptr; }
  int currentBlock() const { return currentBlock_; }
  // " 3 Differences"
  QString statusText() const;

  void setViewMode(int mode);
  void setLineNumbers(bool on);
  void setCommonLines(bool on);
  // False when merging could not be switched off (the merge was kept).
  bool setMerging(bool on);
  void setColours(const ColourTable& colours);
  void setComments(const std::string& begin, const std::string& end);
  // Asks for the name and line-end format of a save (*format starts with
  // the program's); "" when cancelled. Without one, the Ui's file chooser
  // asks for the name and the format stays.
  using SaveChooser = std::function<std::string(const std::string& caption, int* format)>;
  void setSaveChooser(SaveChooser chooser) { saveChooser_ = std::move(chooser); }
  // Prints what the window shows (the list or lists of the view mode, or
  // the merge list while merging), or the block summaries; the pages printed.
  int print(QPrinter& printer, bool summary) const;
  void setListFont(const QFont& font);

  void showBlock(int block);
  void nextBlock();
  void previousBlock();
  // The selected rows of the active list to the clipboard.
  void copy();
  // Asks for a file and saves the differences of the list on show, or
  // the merged file while merging. False when cancelled or failed.
  bool saveAs();
  bool saveDifferences(const std::string& path);
  bool saveMerge(const std::string& path);
  // The merge choices (Command); false when refused or not merging.
  bool mergeCommand(int command);
  // Asks to save a modified merge; false keeps the window open.
  bool mayClose();

  DiffList* list(int side) const { return lists_[static_cast<std::size_t>(side)]; }
  // The list whose scrolling moves the summary (by the view mode).
  DiffList* displayedList() const;
  MergeList* mergeList() const { return mergeList_; }
  const MergeModel* mergeModel() const { return mergeModel_.get(); }
  QComboBox* summaryBox() const { return summary_; }
  QScrollBar* verticalBar() const { return vbar_; }

 signals:
  // A view setting (mode, line numbers, common lines, merging) or the
  // current block changed.
  void viewSettingsChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void fillSummary();
  void layoutForMode();
  void listScrolled(DiffList* source);
  void verticalBarMoved(int value);
  void updateBars();
  void blockInView(DiffList* source, int block);
  void mergeBlockInView(int block);
  void listRowClicked(DiffList* source, int row, Qt::KeyboardModifiers modifiers);
  void removeMergeRow(int row);
  void editMergeRow(int row);
  void mergeChanged();
  int message(const std::string& text, ui::MessageIcon icon, bool yesNo);

  ui::Ui& ui_;
  std::unique_ptr<FileDiff> diff_;
  std::string name1_, name2_;
  MergeSettings settings_;
  int viewMode_;
  bool lineNumbers_;
  bool commonLines_;
  int currentBlock_ = -1;
  int deleteFlags_ = 0;
  bool syncing_ = false;

  QComboBox* summary_;
  QToolButton* previous_;
  QToolButton* next_;
  QLabel* caption1_;
  QLabel* caption2_;
  std::array<DiffList*, 3> lists_{};
  QScrollBar* vbar_;
  QScrollBar* hbar_;
  QSplitter* splitter_;
  QGridLayout* grid_ = nullptr;
  std::unique_ptr<MergeModel> mergeModel_;
  SaveChooser saveChooser_;
  MergeList* mergeList_ = nullptr;
};

}  // namespace orv::merge::qt
