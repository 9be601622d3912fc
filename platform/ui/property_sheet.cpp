// The property sheet's behaviour without a toolkit (see property_sheet.h).
#include "platform/ui/property_sheet.h"

#include <cctype>

namespace orv::ui {

char tabMnemonic(std::string_view title) {
  for (std::size_t i = 0; i + 1 < title.size(); ++i) {
    if (title[i] != '&') continue;
    if (title[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(title[i + 1])));
  }
  return 0;
}

SheetController::SheetController(std::string title, std::vector<SheetPage> pages, bool validateOnLeave)
    : title_(std::move(title)), pages_(std::move(pages)), surfaces_(pages_.size(), nullptr),
      validateOnLeave_(validateOnLeave) {}

bool SheetController::isEnabled(int index) const {
  return index >= 0 && index < count() && pages_[static_cast<std::size_t>(index)].enabled;
}

void SheetController::enable(int index, bool enabled) {
  if (index >= 0 && index < count()) pages_[static_cast<std::size_t>(index)].enabled = enabled;
}

int SheetController::start() {
  current_ = -1;
  for (int i = 0; i < count(); ++i) {
    if (isEnabled(i)) {
      current_ = i;
      break;
    }
  }
  return current_;
}

bool SheetController::validateCurrent() {
  if (current_ < 0) return true;
  DialogSurface* surface = surfaces_[static_cast<std::size_t>(current_)];
  PageLogic* logic = pages_[static_cast<std::size_t>(current_)].logic;
  if (!surface || !logic) return true;
  return logic->validate(*surface);
}

bool SheetController::select(int index) {
  if (index == current_ || !isEnabled(index)) return false;
  if (validateOnLeave_ && !validateCurrent()) return false;
  current_ = index;
  return true;
}

bool SheetController::step(int direction) {
  const int n = count();
  if (n == 0) return false;
  const int from = current_ < 0 ? 0 : current_;
  for (int k = 1; k < n; ++k) {
    const int i = ((from + direction * k) % n + n) % n;
    if (isEnabled(i)) return select(i);
  }
  return false;
}

bool SheetController::next() { return step(+1); }
bool SheetController::previous() { return step(-1); }

int SheetController::tabForKey(char key) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (upper == 0) return -1;
  for (int i = 0; i < count(); ++i)
    if (isEnabled(i) && tabMnemonic(pages_[static_cast<std::size_t>(i)].title) == upper) return i;
  return -1;
}

void SheetController::attach(int index, DialogSurface* surface) {
  if (index >= 0 && index < count()) surfaces_[static_cast<std::size_t>(index)] = surface;
}

DialogSurface* SheetController::surfaceOf(int index) const {
  return index >= 0 && index < count() ? surfaces_[static_cast<std::size_t>(index)] : nullptr;
}

bool SheetController::ok() {
  failedPage_ = -1;
  if (!validateCurrent()) return false;
  for (int i = 0; i < count(); ++i) {
    PageLogic* logic = pages_[static_cast<std::size_t>(i)].logic;
    if (logic && !logic->apply()) {
      failedPage_ = i;
      return false;
    }
  }
  return true;
}

}  // namespace orv::ui
