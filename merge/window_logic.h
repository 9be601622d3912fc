// The comparison window's and the program's logic without a window: the
// status text, moving between blocks, the shared scroll bar's percentage
// and the row it stands for, which list is on display, the caption, and the
// report of a comparison that gave no window.
#pragma once

#include <string>

namespace orv::merge {

// " 12 Differences", or " 1 Difference " (a blank where the plural s stands).
std::string statusText(int blocks);

// The block Next and Previous go to from `current` (-1: none). Next with
// none goes to block 0; neither moves past the ends; Previous with none
// stays with none.
int nextBlock(int current, int blocks);
int previousBlock(int current, int blocks);

// The vertical bar's position in percent for top row T of R rows with V
// visible: 100 when T >= R - V, 0 when T is 0, else T * 100 / (R - V + 1).
int scrollPercent(int top, int rows, int visible);
// The top row a bar position stands for in a list of R rows with V visible.
int rowForPercent(int percent, int rows, int visible);

// The row that comes into view after a vertical scroll of a list with
// `rows` rows, `visible` of them shown from `top` (before the scroll), kept
// within the rows: line up top - 1, line down top + visible, page up
// top - visible, page down top + 2 * visible - 1, thumb its position.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, Thumb };
int rowComingIntoView(ScrollCode code, int top, int visible, int rows, int thumbPosition = 0);

// The list whose scrolling moves the summary in a view mode (0 file 1,
// 1 file 2, 2 combined, 3 both side by side): 105, 106 or 111.
int displayedListId(int viewMode);

// "name 1 : name 2": the titles, else the file names without directory.
std::string comparisonCaption(const std::string& title1, const std::string& file1, const std::string& title2,
                              const std::string& file2);

struct ResultReport {
  std::string text;
  bool askYesNo = false;  // Yes/No with a stop icon; else OK with an exclamation
};
// The message for a comparison result other than 0; `differError` is the
// differencer's own message (for -12).
ResultReport resultReport(int result, const std::string& differError);

}  // namespace orv::merge
