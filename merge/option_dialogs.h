// The logic of the merge program's option dialogs, without a toolkit:
// Compare Files (two name histories, Browse, the check of both names and
// the three comparison options), Comments (the two banner texts) and
// Select Colors (a working copy of the colour table edited by swatches).
// The Qt side builds Compare Files and Comments from their descriptions
// and draws the colour swatches; every decision is made here.
#pragma once

#include <array>
#include <string>

#include "merge/compare_files.h"
#include "merge/merge_settings.h"
#include "platform/ui/ui.h"

namespace orv::merge {

// Compare Files (4103).
enum CompareFilesControl : int {
  kFile1Box = 201,
  kFile2Box = 202,
  kIgnoreBlanksCheck = 1010,
  kIgnoreCaseCheck = 1011,
  kIgnoreWhiteSpaceCheck = 1012,
  kBrowseButton = 2000,
};
constexpr int kCompareFilesDialog = 4103;
// "All Files (*.*)|*.*|..." as the file chooser's filters.
std::vector<std::string> compareFileFilters();
ui::DialogDescription compareFilesDescription();

class CompareFilesLogic : public ui::DialogLogic {
 public:
  // Works on the run's histories and the program's options; cwd completes
  // relative names.
  CompareFilesLogic(ui::Ui& ui, CompareFiles& files, CompareOptions& options, bool preserveFileCase,
                    std::string cwd);
  void setUp(ui::DialogSurface& s) override;
  void command(ui::DialogSurface& s, int id) override;
  bool canClose(ui::DialogSurface& s, int result) override;

 private:
  ui::Ui& ui_;
  CompareFiles& files_;
  CompareOptions& options_;
  bool preserve_;
  std::string cwd_;
  int current_ = kFile1Box;  // the name box Browse fills
};

// Comments (4106): edits 101 and 102, at most 24 characters each.
constexpr int kCommentsDialog = 4106;
constexpr int kCommentBeginEdit = 101, kCommentEndEdit = 102;
constexpr std::size_t kCommentLimit = 24;
ui::DialogDescription commentsDescription();

class CommentsLogic : public ui::DialogLogic {
 public:
  explicit CommentsLogic(MergeSettings& settings) : settings_(settings) {}
  void setUp(ui::DialogSurface& s) override;
  void command(ui::DialogSurface&, int) override {}
  // OK copies both texts back (cut to the limit).
  bool canClose(ui::DialogSurface& s, int result) override;

 private:
  MergeSettings& settings_;
};

// Select Colors (4105): six kinds (buttons 101-106), sixteen swatches
// (107-122).
constexpr int kColoursDialog = 4105;
constexpr int kKindCount = 6, kSwatchCount = 16;
extern const std::array<long, kSwatchCount> kSwatches;  // colour references
extern const std::array<const char*, kKindCount> kKindCaptions;

class ColourChoice {
 public:
  explicit ColourChoice(const ColourTable& colours) : table_(colours) {}
  int current() const { return current_; }
  void choose(int kind) {
    if (kind >= 0 && kind < kKindCount) current_ = kind;
  }
  // Left click: the current kind's foreground; right: its background.
  void leftClick(int swatch);
  void rightClick(int swatch);
  // "FG", "BG", "FG BG" or "" for a swatch.
  std::string label(int swatch) const;
  // Swatches 0-7 are labelled in white, the rest in black.
  static long labelColour(int swatch) { return swatch < 8 ? 0xFFFFFF : 0x000000; }
  const LineColours& kind(int k) const { return table_[static_cast<std::size_t>(k)]; }
  // The table for OK: the six kinds marked set, empty rows as normal lines.
  ColourTable accepted() const;

 private:
  ColourTable table_;
  int current_ = 0;
};

}  // namespace orv::merge
