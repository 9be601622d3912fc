// Progress arithmetic and the answers of the status callback.
#include "workbench/app/progress_window.h"

#include <algorithm>

namespace orv::workbench::app {

namespace {

ProgressWindow* gCurrent = nullptr;
constexpr std::size_t kHeadingLimit = 59;
ProgressWindow::Clock::time_point (*gNow)() = &ProgressWindow::Clock::now;

}  // namespace

ProgressWindow::ProgressWindow(ui::Ui& ui, std::string_view heading, unsigned total)
    : ui_(ui), previous_(gCurrent), total_(total) {
  view_.heading = std::string(heading.substr(0, kHeadingLimit));
  view_.gauge = total != 0;
  view_.onCancel = [this] { cancel(); };
  gCurrent = this;
  ui_.showProgress(view_);
  lastShown_ = gNow();
}

void ProgressWindow::setClock(Clock::time_point (*now)()) { gNow = now ? now : &Clock::now; }

bool ProgressWindow::due(Clock::time_point& last) {
  const Clock::time_point now = gNow();
  if (last != Clock::time_point{} && now - last < kRepaintInterval) return false;
  last = now;
  return true;
}

ProgressWindow::~ProgressWindow() {
  gCurrent = previous_;
  ui_.hideProgress();
}

ProgressWindow* ProgressWindow::current() { return gCurrent; }

int ProgressWindow::statusCallback(const char* text) {
  return gCurrent ? gCurrent->answer(text ? text : "") : 0;
}

void ProgressWindow::setTitle(std::string_view heading) {
  view_.heading = std::string(heading.substr(0, kHeadingLimit));
  lastShown_ = {};  // a new heading is shown at once
  step();
}

void ProgressWindow::setLine(std::string_view line) {
  view_.line = std::string(line);
  step();
}

void ProgressWindow::cancel() {
  cancelled_ = true;
  count_ = 0;
}

void ProgressWindow::step() {
  if (view_.gauge && stepping_) {
    ++count_;
    view_.percent = static_cast<int>(std::min(100u, count_ * 100u / total_));
  }
  if (due(lastShown_)) ui_.showProgress(view_);
}

int ProgressWindow::answer(std::string_view text) {
  // Lets Cancel and repaints through now and then, not for every text.
  if (due(lastPump_)) ui_.pumpEvents();
  if (!text.empty() && text.front() == '!') {
    std::string question = std::string(text.substr(1)) + "\nContinue?";
    auto box = ui::yesNoBox(view_.heading, question, ui::MessageIcon::question);
    return ui_.messageBox(box) == ui::kAnswerYes ? 0 : -1;
  }
  if (!text.empty() && text.front() == '@') {
    ui_.messageBox(ui::okBox(view_.heading, std::string(text.substr(1)), ui::MessageIcon::warning));
    return 0;
  }
  if (cancelled_) return -1;
  setLine(text);
  return 0;
}

}  // namespace orv::workbench::app
