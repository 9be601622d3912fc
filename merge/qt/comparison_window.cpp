// The window of one comparison (see comparison_window.h). Every choice of
// rows, blocks and merge lines is the core's; this file places the widgets
// and keeps them moving together.
#include "merge/qt/comparison_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "merge/qt/diff_list.h"
#include "merge/qt/edit_block_dialog.h"
#include "merge/qt/merge_list.h"
#include "merge/qt/printing.h"
#include "platform/sys/system_calls.h"
#include "merge/qt/vardel_ui.h"
#include "merge/window_logic.h"

namespace orv::merge::qt {

namespace {

const char* const kTitle = "Vardel";

// The merge's questions about blocks edited by hand, as Yes/No boxes.
class UiPrompt : public MergePrompt {
 public:
  explicit UiPrompt(ui::Ui& ui) : ui_(ui) {}
  bool ask(const std::string& question) override {
    ui_.beep();
    return ui_.messageBox(ui::yesNoBox(kTitle, question, ui::MessageIcon::question)) == ui::kAnswerYes;
  }

 private:
  ui::Ui& ui_;
};

void paintCaption(QLabel* label, const LineColours& colours) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, colourOf(colours.foreground));
  p.setColor(QPalette::Window, colourOf(colours.background));
  label->setPalette(p);
}

}  // namespace

ComparisonWindow::ComparisonWindow(ui::Ui& ui, std::unique_ptr<FileDiff> diff, std::string name1, std::string name2,
                                   const MergeSettings& settings, QWidget* parent)
    : QWidget(parent),
      ui_(ui),
      diff_(std::move(diff)),
      name1_(std::move(name1)),
      name2_(std::move(name2)),
      settings_(settings),
      viewMode_(settings.viewMode),
      lineNumbers_(settings.lineNumbers),
      commonLines_(settings.commonLines),
      summary_(new QComboBox(this)),
      previous_(new QToolButton(this)),
      next_(new QToolButton(this)),
      caption1_(new QLabel(QString::fromStdString(name1_), this)),
      caption2_(new QLabel(QString::fromStdString(name2_), this)),
      vbar_(new QScrollBar(Qt::Vertical, this)),
      hbar_(new QScrollBar(Qt::Horizontal, this)),
      splitter_(new QSplitter(Qt::Vertical, this)) {
  setObjectName("ORV_DIFFKID");
  summary_->setObjectName("summary107");
  previous_->setObjectName("button100");
  next_->setObjectName("button101");
  caption1_->setObjectName("caption108");
  caption2_->setObjectName("caption109");
  vbar_->setObjectName("bar102");
  hbar_->setObjectName("bar103");
  previous_->setArrowType(Qt::UpArrow);
  next_->setArrowType(Qt::DownArrow);
  previous_->setToolTip("Previous difference");
  next_->setToolTip("Next difference");
  summary_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  summary_->setMinimumContentsLength(20);
  for (QLabel* c : {caption1_, caption2_}) {
    c->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c->setAutoFillBackground(true);
    c->setMargin(2);
    c->setTextInteractionFlags(Qt::TextSelectableByMouse);
    c->setMinimumWidth(1);
  }

  const QFont font = listFont(settings_.font);
  for (int side : {kSide1, kSide2, kCombined}) {
    auto* l = new DiffList(*diff_, side, commonLines_);
    l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setColours(settings_.colours);
    l->setRowFont(font);
    l->setLineNumbers(lineNumbers_);
    lists_[static_cast<std::size_t>(side)] = l;
    connect(l, &RowList::topRowChanged, this, [this, l] { listScrolled(l); });
    connect(l, &RowList::blockInView, this, [this, l](int block) { blockInView(l, block); });
    connect(l, &RowList::resized, this, [this] { updateBars(); });
    connect(l, &RowList::rowClicked, this,
            [this, l](int row, Qt::KeyboardModifiers modifiers) { listRowClicked(l, row, modifiers); });
  }
  setColours(settings_.colours);

  // Summary with Previous above Next at its right.
  auto* top = new QHBoxLayout;
  top->setSpacing(2);
  top->addWidget(summary_, 1);
  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  const int arrowHeight = std::max(10, summary_->sizeHint().height() / 2);
  for (QToolButton* b : {previous_, next_}) {
    b->setFixedSize(arrowHeight * 2, arrowHeight);
    arrows->addWidget(b);
  }
  top->addLayout(arrows);

  // Captions over their lists, the vertical bar at the right, the
  // horizontal bar below.
  auto* pane = new QWidget(splitter_);
  grid_ = new QGridLayout(pane);
  QGridLayout* grid = grid_;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(1);
  grid->addWidget(vbar_, 1, 2);
  grid->addWidget(hbar_, 2, 0, 1, 2);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  for (DiffList* l : lists_) l->setParent(pane);
  splitter_->addWidget(pane);
  splitter_->setChildrenCollapsible(false);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(2, 2, 2, 2);
  outer->setSpacing(3);
  outer->addLayout(top);
  outer->addWidget(splitter_, 1);

  connect(previous_, &QToolButton::clicked, this, &ComparisonWindow::previousBlock);
  connect(next_, &QToolButton::clicked, this, &ComparisonWindow::nextBlock);
  connect(summary_, qOverload<int>(&QComboBox::activated), this, &ComparisonWindow::showBlock);
  connect(vbar_, &QScrollBar::valueChanged, this, &ComparisonWindow::verticalBarMoved);
  connect(hbar_, &QScrollBar::valueChanged, this, [this](int v) {
    for (DiffList* l : lists_) l->horizontalScrollBar()->setValue(v);
  });

  fillSummary();
  layoutForMode();
  setMinimumSize(240, 160);
}

ComparisonWindow::~ComparisonWindow() {
  // The lists show the comparison's lines: they go first.
  delete mergeList_;
  for (DiffList* l : lists_) delete l;
  if (deleteFlags_ & 1) sys::calls().unlink(diff_->file1().c_str());
  if (deleteFlags_ & 2) sys::calls().unlink(diff_->file2().c_str());
}

QString ComparisonWindow::statusText() const { return QString::fromStdString(orv::merge::statusText(diff_->blockCount())); }

void ComparisonWindow::fillSummary() {
  summary_->clear();
  for (const DiffBlock& b : diff_->blocks()) summary_->addItem(QString::fromStdString(blockSummary(b, name1_, name2_)));
  summary_->setCurrentIndex(-1);
}

DiffList* ComparisonWindow::displayedList() const {
  switch (displayedListId(viewMode_)) {
    case 106: return lists_[kSide2];
    case 111: return lists_[kCombined];
    default: return lists_[kSide1];
  }
}

void ComparisonWindow::layoutForMode() {
  // A file shown alone takes the whole width; side by side each takes half.
  auto place = [this](QWidget* w, int row, int column, int span) {
    grid_->removeWidget(w);
    grid_->addWidget(w, row, column, 1, span);
  };
  const bool halves = viewMode_ == 2 || viewMode_ == 3;
  place(caption1_, 0, 0, halves ? 1 : 2);
  place(caption2_, 0, halves ? 1 : 0, halves ? 1 : 2);
  place(lists_[kSide1], 1, 0, viewMode_ == 3 ? 1 : 2);
  place(lists_[kSide2], 1, viewMode_ == 3 ? 1 : 0, viewMode_ == 3 ? 1 : 2);
  place(lists_[kCombined], 1, 0, 2);
  lists_[kSide1]->setVisible(viewMode_ == 0 || viewMode_ == 3);
  lists_[kSide2]->setVisible(viewMode_ == 1 || viewMode_ == 3);
  lists_[kCombined]->setVisible(viewMode_ == 2);
  // The combined view keeps both names as the key to its colours.
  caption1_->setVisible(viewMode_ != 1);
  caption2_->setVisible(viewMode_ != 0);
  updateBars();
  for (DiffList* l : lists_) l->horizontalScrollBar()->setValue(0);
  hbar_->setValue(0);
}

void ComparisonWindow::updateBars() {
  DiffList* shown = displayedList();
  const bool was = syncing_;
  syncing_ = true;
  vbar_->setRange(0, std::max(0, shown->rowCount() - shown->visibleRows()));
  vbar_->setPageStep(shown->visibleRows());
  vbar_->setValue(shown->topRow());
  int widest = 0;
  for (DiffList* l : lists_)
    if (l->isVisible()) widest = std::max(widest, l->contentWidth() - l->viewport()->width());
  hbar_->setRange(0, std::max(0, widest));
  hbar_->setPageStep(std::max(1, shown->viewport()->width()));
  hbar_->setSingleStep(std::max(1, shown->fontMetrics().averageCharWidth()));
  syncing_ = was;
}

void ComparisonWindow::verticalBarMoved(int value) {
  if (syncing_) return;
  displayedList()->setTopRow(value, vbar_->isSliderDown());
}

// One list moved: the others follow (the two file sides row for row, the
// combined list by the same share of its rows) and the bar shows it.
void ComparisonWindow::listScrolled(DiffList* source) {
  if (syncing_) return;
  syncing_ = true;
  const int percent = scrollPercent(source->topRow(), source->rowCount(), source->visibleRows());
  for (DiffList* l : lists_) {
    if (l == source) continue;
    l->setTopRow(l->rowCount() == source->rowCount() ? source->topRow()
                                                     : rowForPercent(percent, l->rowCount(), l->visibleRows()),
                 true);
  }
  syncing_ = false;
  updateBars();
}

void ComparisonWindow::blockInView(DiffList* source, int block) {
  if (syncing_ || block < 0) return;
  if (source == displayedList()) {
    currentBlock_ = block;
    summary_->setCurrentIndex(block);
    emit viewSettingsChanged();
  }
  if (mergeList_) {
    syncing_ = true;
    mergeList_->showBlock(block);
    syncing_ = false;
  }
}

void ComparisonWindow::mergeBlockInView(int block) {
  if (syncing_ || block < 0) return;
  syncing_ = true;
  for (DiffList* l : lists_) l->showBlock(block);
  syncing_ = false;
  currentBlock_ = block;
  summary_->setCurrentIndex(block);
  updateBars();
  emit viewSettingsChanged();
}

void ComparisonWindow::showBlock(int block) {
  if (block < 0 || block >= diff_->blockCount()) return;
  currentBlock_ = block;
  summary_->setCurrentIndex(block);
  syncing_ = true;
  for (DiffList* l : lists_) l->showBlock(block);
  if (mergeList_) mergeList_->showBlock(block);
  syncing_ = false;
  updateBars();
  for (DiffList* l : lists_) l->horizontalScrollBar()->setValue(0);
  hbar_->setValue(0);
  emit viewSettingsChanged();
}

void ComparisonWindow::nextBlock() { showBlock(orv::merge::nextBlock(currentBlock_, diff_->blockCount())); }

void ComparisonWindow::previousBlock() {
  const int block = orv::merge::previousBlock(currentBlock_, diff_->blockCount());
  if (block >= 0) showBlock(block);
}

void ComparisonWindow::setViewMode(int mode) {
  if (mode < 0 || mode > 3) return;
  viewMode_ = mode;
  layoutForMode();
  if (currentBlock_ >= 0) showBlock(currentBlock_);
  emit viewSettingsChanged();
}

void ComparisonWindow::setLineNumbers(bool on) {
  lineNumbers_ = on;
  for (DiffList* l : lists_) l->setLineNumbers(on);
  if (mergeList_) mergeList_->setLineNumbers(on);
  updateBars();
  if (currentBlock_ >= 0) showBlock(currentBlock_);
  emit viewSettingsChanged();
}

void ComparisonWindow::setCommonLines(bool on) {
  commonLines_ = on;
  syncing_ = true;
  for (DiffList* l : lists_) {
    l->rebuild(on);
    l->setTopRow(0);
  }
  syncing_ = false;
  updateBars();
  if (currentBlock_ >= 0) showBlock(currentBlock_);
  emit viewSettingsChanged();
}

void ComparisonWindow::setColours(const ColourTable& colours) {
  settings_.colours = colours;
  paintCaption(caption1_, colours[kFile1Class]);
  paintCaption(caption2_, colours[kFile2Class]);
  for (DiffList* l : lists_) l->setColours(colours);
  if (mergeList_) mergeList_->setColours(colours);
}

void ComparisonWindow::setListFont(const QFont& font) {
  for (DiffList* l : lists_) l->setRowFont(font);
  if (mergeList_) mergeList_->setRowFont(font);
  caption1_->update();
  caption2_->update();
  updateBars();
}

bool ComparisonWindow::setMerging(bool on) {
  if (on == merging()) return true;
  if (on) {
    mergeModel_ = std::make_unique<MergeModel>(*diff_, name1_, name2_);
    mergeList_ = new MergeList(*mergeModel_);
    mergeList_->setColours(settings_.colours);
    mergeList_->setRowFont(lists_[0]->font());
    mergeList_->setLineNumbers(lineNumbers_);
    splitter_->addWidget(mergeList_);
    const int total = std::max(2, splitter_->height());
    splitter_->setSizes({total / 2, total - total / 2});
    connect(mergeList_, &RowList::blockInView, this, &ComparisonWindow::mergeBlockInView);
    connect(mergeList_, &MergeList::removeRowSide, this, &ComparisonWindow::removeMergeRow);
    connect(mergeList_, &MergeList::editBlockOfRow, this, &ComparisonWindow::editMergeRow);
    // A click on any row of a block (its marker row included) makes it the current block.
    connect(mergeList_, &RowList::rowClicked, this, [this](int row, Qt::KeyboardModifiers) {
      const int block = mergeList_->blockOfRow(row);
      if (block >= 0 && block != currentBlock_) mergeBlockInView(block);
    });
  } else {
    if (!mayClose()) return false;
    delete mergeList_;
    mergeList_ = nullptr;
    mergeModel_.reset();
  }
  if (currentBlock_ >= 0) showBlock(currentBlock_);
  emit viewSettingsChanged();
  return true;
}

void ComparisonWindow::copy() {
  for (DiffList* l : lists_)
    if (l->hasFocus()) return l->copy();
  displayedList()->copy();
}

int ComparisonWindow::message(const std::string& text, ui::MessageIcon icon, bool yesNo) {
  return ui_.messageBox(yesNo ? ui::yesNoBox(kTitle, text, icon) : ui::okBox(kTitle, text, icon));
}

bool ComparisonWindow::saveAs() {
  ui::FileRequest request;
  request.caption = merging() ? "Save Merged File As" : "Save Diffs As";
  request.forSaving = true;
  request.filters = {"All Files (*)"};
  std::string path;
  // The choice starts at the line ends of the compared files.
  int format = inputSaveFormat(diff_->file1(), diff_->file2());
  if (saveChooser_) {
    path = saveChooser_(request.caption, &format);
  } else {
    const std::vector<std::string> chosen = ui_.chooseFiles(request);
    if (!chosen.empty()) path = chosen.front();
  }
  if (!path.empty()) settings_.saveFormat = format;
  if (path.empty()) return false;
  return merging() ? saveMerge(path) : saveDifferences(path);
}

void ComparisonWindow::setComments(const std::string& begin, const std::string& end) {
  settings_.commentBegin = begin;
  settings_.commentEnd = end;
}

int ComparisonWindow::print(QPrinter& printer, bool summary) const {
  const QString title = windowTitle();
  if (summary) {
    QStringList lines;
    for (int i = 0; i < summary_->count(); ++i) lines << summary_->itemText(i);
    return printSummary(printer, lines, title, lists_[0]->font());
  }
  if (mergeList_) return printRows(printer, {mergeList_}, true, title, mergeList_->font());
  std::vector<const RowList*> lists;
  if (viewMode_ == 3) lists = {lists_[0], lists_[1]};
  else lists = {displayedList()};
  return printRows(printer, lists, false, title, lists_[0]->font());
}

bool ComparisonWindow::saveDifferences(const std::string& path) {
  const std::string error =
      displayedList()->view().save(path, name1_, name2_, settings_.saveFormat, settings_.commentBegin, settings_.commentEnd);
  if (error.empty()) return true;
  message(error, ui::MessageIcon::warning, false);
  return false;
}

bool ComparisonWindow::saveMerge(const std::string& path) {
  if (!mergeModel_) return false;
  const std::string error = mergeModel_->save(path, settings_.saveFormat);
  if (error.empty()) return true;
  message(error, ui::MessageIcon::warning, false);
  return false;
}

bool ComparisonWindow::mergeCommand(int command) {
  if (!mergeModel_) return false;
  UiPrompt prompt(ui_);
  bool done = true;
  switch (command) {
    case kAllFile1Blocks:
    case kAllFile2Blocks:
      for (int b = 0; b < diff_->blockCount(); ++b)
        done = mergeModel_->takeSide(command == kAllFile1Blocks ? 0 : 1, b, &prompt) && done;
      break;
    case kSelectFile1Block:
    case kSelectFile2Block:
    case kSelectBothBlocks:
    case kRemoveSelectedBlocks:
      if (currentBlock_ < 0) return false;
      if (command == kSelectFile1Block) done = mergeModel_->takeSide(0, currentBlock_, &prompt);
      if (command == kSelectFile2Block) done = mergeModel_->takeSide(1, currentBlock_, &prompt);
      if (command == kSelectBothBlocks && (done = mergeModel_->takeSide(0, currentBlock_, &prompt)))
        mergeModel_->addSide(1, currentBlock_);
      if (command == kRemoveSelectedBlocks && (done = mergeModel_->removeSide(0, currentBlock_, &prompt)))
        done = mergeModel_->removeSide(1, currentBlock_, &prompt);
      break;
    default: return false;
  }
  mergeChanged();
  if (currentBlock_ >= 0) showBlock(currentBlock_);
  return done;
}

// A click on a difference list while merging chooses for the row's block:
// its side (added to the block's lines with Ctrl; for every block first
// with Shift); a click on an empty row, which stands for no lines, clears
// the block.
void ComparisonWindow::listRowClicked(DiffList* source, int row, Qt::KeyboardModifiers modifiers) {
  if (!mergeModel_) return;
  const int block = source->blockOfRow(row);
  if (block < 0) return;
  UiPrompt prompt(ui_);
  if (source->emptyRow(row)) {
    mergeModel_->clearBlock(block, &prompt);
  } else {
    const ViewRow& r = source->view().rows()[static_cast<std::size_t>(row)];
    const int side = r.line->source == kFile1 ? 0 : 1;
    if (modifiers & Qt::ShiftModifier)
      for (int b = 0; b < diff_->blockCount(); ++b) mergeModel_->takeSide(side, b, &prompt);
    if (modifiers & Qt::ControlModifier)
      mergeModel_->addSide(side, block);
    else
      mergeModel_->takeSide(side, block, &prompt);
  }
  mergeChanged();
  currentBlock_ = block;
  summary_->setCurrentIndex(block);
  syncing_ = true;
  mergeList_->showBlock(block);
  syncing_ = false;
  emit viewSettingsChanged();
}

void ComparisonWindow::removeMergeRow(int row) {
  const MergeRow& r = mergeModel_->rows()[static_cast<std::size_t>(row)];
  const int block = mergeList_->blockOfRow(row);
  if (r.rowClass == kMarkerRow || block < 0) {
    ui_.beep();
    return;
  }
  UiPrompt prompt(ui_);
  if (r.rowClass == kEditedRow)
    mergeModel_->clearBlock(block, &prompt);
  else
    mergeModel_->removeSide(r.line.source == kFile1 ? 0 : 1, block, &prompt);
  mergeChanged();
  mergeList_->showRow(std::min(row, mergeList_->rowCount() - 1));
}

void ComparisonWindow::editMergeRow(int row) {
  const int block = mergeList_->blockOfRow(row);
  if (block < 0) return;
  const QString caption =
      QString::fromStdString(blockSummary(diff_->blocks()[static_cast<std::size_t>(block)], name1_, name2_));
  const auto text = editBlockText(ui_, caption, mergeModel_->blockText(block), mergeList_->font(), this);
  if (!text) return;
  mergeModel_->editBlock(block, *text);
  mergeChanged();
  mergeList_->showBlock(block);
}

void ComparisonWindow::mergeChanged() {
  if (mergeList_) mergeList_->rowsChanged();
}

bool ComparisonWindow::mayClose() {
  if (!mergeModel_ || !mergeModel_->modified()) return true;
  ui_.beep();
  if (message("The merged file has been modified.\nDo you wish to save it?", ui::MessageIcon::question, true) !=
      ui::kAnswerYes)
    return true;
  return saveAs();
}

void ComparisonWindow::closeEvent(QCloseEvent* event) {
  if (mayClose())
    event->accept();
  else
    event->ignore();
}

}  // namespace orv::merge::qt
