// A dialog surface without a screen, for tests of dialog logic: every
// control is a record (text, check, enabled, visible, list and selection)
// created on first use, so a test sets up the state, presses a control
// through press() and reads back what the logic did.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace orv::ui::testing {

struct FakeControl {
  std::string text;
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  std::vector<std::string> items;
  std::vector<int> selection;
  int textSelectionStart = 0, textSelectionEnd = 0;  // of an entry
  std::vector<std::string> icons;
  std::string image;
};

class FakeSurface : public DialogSurface {
 public:
  void setText(int id, const std::string& text) override { controls_[id].text = text; }
  std::string text(int id) const override { return get(id).text; }
  void setChecked(int id, bool checked) override { controls_[id].checked = checked; }
  bool isChecked(int id) const override { return get(id).checked; }
  void setEnabled(int id, bool enabled) override { controls_[id].enabled = enabled; }
  bool isEnabled(int id) const override { return get(id).enabled; }
  void setVisible(int id, bool visible) override { controls_[id].visible = visible; }
  void setFocus(int id) override { focus_ = id; }
  void selectText(int id, int start, int end) override {
    controls_[id].textSelectionStart = start;
    controls_[id].textSelectionEnd = end;
  }
  int focus() const override { return focus_; }
  void setListItems(int id, const std::vector<std::string>& items) override {
    controls_[id].items = items;
    controls_[id].selection.clear();
  }
  std::vector<std::string> listItems(int id) const override { return get(id).items; }
  void setSelection(int id, const std::vector<int>& rows) override {
    controls_[id].selection = rows;
  }
  std::vector<int> selection(int id) const override { return get(id).selection; }
  void setListIcons(int id, const std::vector<std::string>& icons) override { controls_[id].icons = icons; }
  void setImage(int id, const std::string& icon) override { controls_[id].image = icon; }
  void end(int result) override {
    ended_ = true;
    result_ = result;
  }

  // A press of control id as the toolkit would report it. A press on a
  // disabled or hidden control does not reach the logic (false).
  bool press(DialogLogic& logic, int id) {
    const FakeControl& c = get(id);
    if (!c.enabled || !c.visible) return false;
    logic.command(*this, id);
    return true;
  }
  // Leaving entry id.
  void leave(DialogLogic& logic, int id) { logic.edited(*this, id); }
  // A double click on list id.
  bool activate(DialogLogic& logic, int id) {
    const FakeControl& c = get(id);
    if (!c.enabled || !c.visible) return false;
    logic.activated(*this, id);
    return true;
  }
  // OK or Cancel: asks canClose and ends the dialog when it agrees.
  bool close(DialogLogic& logic, int result) {
    if (!logic.canClose(*this, result)) return false;
    end(result);
    return true;
  }

  bool ended() const { return ended_; }
  int result() const { return result_; }
  const FakeControl& control(int id) const { return get(id); }

 private:
  const FakeControl& get(int id) const {
    static const FakeControl kUntouched;
    auto it = controls_.find(id);
    return it == controls_.end() ? kUntouched : it->second;
  }

  std::map<int, FakeControl> controls_;
  int focus_ = 0;
  bool ended_ = false;
  int result_ = kAnswerCancel;
};

}  // namespace orv::ui::testing
