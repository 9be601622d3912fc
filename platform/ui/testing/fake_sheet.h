// A property sheet without a screen, for tests of pages and sheets: each
// page gets a FakeSurface, set up by its logic when the page is first
// shown, as the toolkit side does.
#pragma once

#include <map>
#include <memory>

#include "platform/ui/property_sheet.h"
#include "platform/ui/testing/fake_surface.h"

namespace orv::ui::testing {

class FakeSheet {
 public:
  explicit FakeSheet(SheetController& sheet) : sheet_(sheet) {
    if (sheet_.start() >= 0) show(sheet_.current());
  }

  SheetController& controller() { return sheet_; }
  int current() const { return sheet_.current(); }
  // The surface of page index, shown (and set up) first when it never was.
  FakeSurface& surface(int index) {
    show(index);
    return *surfaces_.at(index);
  }
  bool shown(int index) const { return surfaces_.count(index) != 0; }

  // A click on tab index; true when it became current.
  bool select(int index) {
    if (!sheet_.select(index)) return false;
    show(index);
    return true;
  }
  bool next() { return sheet_.next() ? (show(sheet_.current()), true) : false; }
  bool previous() { return sheet_.previous() ? (show(sheet_.current()), true) : false; }
  // A press of control id on the page in front.
  bool press(int id) {
    const int page = sheet_.current();
    return surfaces_.at(page)->press(*sheet_.page(page).logic, id);
  }
  // OK; true when the sheet closed.
  bool ok() {
    if (!sheet_.ok()) return false;
    result_ = kAnswerOk;
    return true;
  }
  void cancel() { result_ = kAnswerCancel; }
  int result() const { return result_; }

 private:
  void show(int index) {
    if (index < 0 || surfaces_.count(index)) return;
    auto surface = std::make_unique<FakeSurface>();
    if (PageLogic* logic = sheet_.page(index).logic) logic->setUp(*surface);
    sheet_.attach(index, surface.get());
    surfaces_[index] = std::move(surface);
  }

  SheetController& sheet_;
  std::map<int, std::unique_ptr<FakeSurface>> surfaces_;
  int result_ = kAnswerCancel;
};

}  // namespace orv::ui::testing
