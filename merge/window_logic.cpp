// The comparison window's and the program's logic (see window_logic.h).
#include "merge/window_logic.h"

#include <algorithm>
#include <cstdio>

#include "merge/file_diff.h"

namespace orv::merge {

std::string statusText(int blocks) {
  char buf[48];
  std::snprintf(buf, sizeof buf, " %d Difference%c", blocks, blocks == 1 ? ' ' : 's');
  return buf;
}

int nextBlock(int current, int blocks) {
  if (blocks <= 0) return -1;
  if (current < 0) return 0;
  return current + 1 < blocks ? current + 1 : current;
}

int previousBlock(int current, int /*blocks*/) { return current > 0 ? current - 1 : current; }

int scrollPercent(int top, int rows, int visible) {
  if (top >= rows - visible) return 100;
  if (top <= 0) return 0;
  return static_cast<int>(static_cast<long long>(top) * 100 / (rows - visible + 1));
}

int rowForPercent(int percent, int rows, int visible) {
  const int span = rows - visible + 1;
  if (span <= 1 || percent <= 0) return 0;
  if (percent >= 100) return rows - visible;
  return static_cast<int>(static_cast<long long>(percent) * span / 100);
}

int rowComingIntoView(ScrollCode code, int top, int visible, int rows, int thumbPosition) {
  int row = thumbPosition;
  switch (code) {
    case ScrollCode::LineUp: row = top - 1; break;
    case ScrollCode::LineDown: row = top + visible; break;
    case ScrollCode::PageUp: row = top - visible; break;
    case ScrollCode::PageDown: row = top + 2 * visible - 1; break;
    case ScrollCode::Thumb: break;
  }
  return std::max(0, std::min(row, rows - 1));
}

int displayedListId(int viewMode) { return viewMode == 1 ? 106 : viewMode == 2 ? 111 : 105; }

std::string comparisonCaption(const std::string& title1, const std::string& file1, const std::string& title2,
                              const std::string& file2) {
  auto base = [](const std::string& f) {
    const std::size_t cut = f.find_last_of("/\\");
    return cut == std::string::npos ? f : f.substr(cut + 1);
  };
  return (title1.empty() ? base(file1) : title1) + " : " + (title2.empty() ? base(file2) : title2);
}

ResultReport resultReport(int result, const std::string& differError) {
  switch (result) {
    case kNoTemporaryFile: return {"File open failed.", false};
    case kReadFailure: return {"File read failed. Unknown Error.", false};
    case kBinaryInput: return {"Cannot difference binary files.", false};
    case kNoDifferences: return {"No difference between the files.", false};
    case kDifferTrouble: {
      std::string text = differError.substr(0, 119);  // the differencer's message as its 120 bytes hold it
      if (text.size() < 99) text += "\nOkay to continue?";
      return {text, true};
    }
    case kOutOfMemory: return {"Cannot allocate memory!\nOK to proceed?", true};
    default: {
      char buf[96];
      std::snprintf(buf, sizeof buf, "Window is invalid : Error Code %d.\nOK to proceed?", result);
      return {buf, true};
    }
  }
}

}  // namespace orv::merge
